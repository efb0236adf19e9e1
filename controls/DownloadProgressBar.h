#pragma once

#include <windows.h>

#include "framework/CProgressCtrl.h"

// The progress bar of the download pages: a share of the current file, or a
// moving marquee when the length is unknown, the value is above 100 or the
// installers run.
class DownloadProgressBar : public CProgressCtrl {
public:
    // A progress message: the percentage of the current download.
    void OnProgress(WPARAM percent);
    // The length of the current download is unknown.
    void OnLengthUnknown() { StartMarquee(); }
    // The installers run: nothing left to count.
    void OnInstalling() { StartMarquee(); }

    bool InMarquee() const { return marquee; }

private:
    void StartMarquee();

    // Set while the bar is a marquee, for whichever reason, so that the next
    // share in range stops it and shows.
    bool marquee = false;
};
