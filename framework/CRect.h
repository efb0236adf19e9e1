#pragma once

#include <windows.h>

// RECT with the width and height helpers the wizard uses.
class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    explicit CRect(const RECT& other) : RECT(other) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};
