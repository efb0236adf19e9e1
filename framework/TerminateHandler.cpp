// The wizard's handler for an exception that nothing catches. The C++
// library's default handler names the exception's type on standard error,
// which a windowed program does not have, and needs the library's demangler
// for it (about 46 KB of the executable). This one ends the process the same
// way, by abort(), without the message. Linked into the wizard executables
// as an object of their own, so that the linker takes it before it searches
// the library; test programs keep the library's handler and its message.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
