#include "controls/DownloadProgressBar.h"

#include <cstdint>

void DownloadProgressBar::StartMarquee() {
    SetRange(0, 100);
    SetPos(0);
    SetMarquee(true, 30);
    ModifyStyle(0, PBS_MARQUEE);
    marquee = true;
}

void DownloadProgressBar::OnProgress(WPARAM percent) {
    const uint32_t share = static_cast<uint32_t>(percent);
    if (share > 100) {
        // A value above 100 cannot be shown as a share: the bar just moves
        // until a share in range arrives.
        StartMarquee();
        return;
    }
    if (marquee) {
        SetMarquee(false, 0);
        SetRange(0, 100);
        SetPos(0);
        SendMessage(PBM_SETSTEP, 1);
        ModifyStyle(PBS_MARQUEE, 0);
        marquee = false;
    }
    // The share as it came: scaling it to a fraction and back would show 69
    // for 70 where the fraction is rounded down.
    SetPos(static_cast<int>(share));
}
