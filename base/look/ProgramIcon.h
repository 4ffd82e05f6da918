#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

// The one program icon, shared by every window: its 32 and 48 px images, which title bars and
// task switchers draw. The 128 and 256 px images are installed in the desktop's icon theme, where
// menus and docks take them from; handing them to every window would cost each window's first
// showing over 10 ms of image conversion.
QIcon ProgramIcon();

// The decoded images behind ProgramIcon(); may be called from any thread, e.g. to decode them
// ahead of time.
const QList<QImage>& ProgramIconImages();
