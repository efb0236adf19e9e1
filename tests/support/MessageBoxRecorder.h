#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "framework/MessageBox.h"

// Answers every message box of the process while it lives, records what was
// asked, and restores the previous hook when it goes.
class MessageBoxRecorder {
public:
    struct Shown {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void SetAnswer(int answer);
    std::vector<Shown> Boxes() const;

private:
    mutable std::mutex lock;
    std::vector<Shown> boxes;
    int answer;
    MessageBoxHook previous;
};
