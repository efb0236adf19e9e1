#include "support/MessageBoxRecorder.h"

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer(answer) {
    previous =
        SetMessageBoxHook([this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
            std::lock_guard<std::mutex> guard(lock);
            boxes.push_back({text ? text : L"", caption ? caption : L"", type});
            return this->answer;
        });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHook(std::move(previous));
}

void MessageBoxRecorder::SetAnswer(int value) {
    std::lock_guard<std::mutex> guard(lock);
    answer = value;
}

std::vector<MessageBoxRecorder::Shown> MessageBoxRecorder::Boxes() const {
    std::lock_guard<std::mutex> guard(lock);
    return boxes;
}
