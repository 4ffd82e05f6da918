#pragma once

#include "base/Services.h"

// Hands addresses to the desktop's own handler (QDesktopServices).
class DesktopUrlOpener : public UrlOpener
{
public:
    bool open(const QUrl& url) override;
};
