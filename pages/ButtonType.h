#pragma once

#include <cstdint>

// The wizard buttons a page reports to the main dialog.
enum class ButtonType : uint32_t {
    Next = 0,
    Accept = 1,
    Close = 2,
    Decline = 3,
    Finish = 4,
    Back = 5,
};
