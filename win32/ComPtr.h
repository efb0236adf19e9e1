#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace win32 {

// Owns one reference to a COM interface and releases it when it goes.
// Move-only; receive() hands the slot to a creating call (CoCreateInstance,
// QueryInterface, an out-parameter) after releasing what it held.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer = std::exchange(other.pointer, nullptr);
        }
        return *this;
    }

    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

    T** receive() {
        reset();
        return &pointer;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

    void reset() {
        if (T* old = std::exchange(pointer, nullptr)) {
            old->Release();
        }
    }

private:
    T* pointer = nullptr;
};

// COM initialised on the calling thread for the life of the object, whatever
// CoInitialize answered: CoUninitialize balances every call, including those
// that returned S_FALSE.
class ComInitialization {
public:
    ComInitialization() : result(::CoInitialize(nullptr)) {}
    ~ComInitialization() {
        if (SUCCEEDED(result)) {
            ::CoUninitialize();
        }
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

private:
    HRESULT result;
};

}  // namespace win32
