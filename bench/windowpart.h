// The window's widgets as a user reaches them, by their names in app/mainwindow.ui.
#pragma once

#include <QWidget>

#include <cstdio>
#include <cstdlib>

// A benchmark cannot go on without the widget it drives, so a name the form
// no longer has ends the run with that name.
template <typename Widget> Widget *windowPart(const QWidget &window, const char *name)
{
    Widget *part = window.findChild<Widget *>(QLatin1String(name));
    if (!part) {
        std::fprintf(stderr, "the window has no %s\n", name);
        std::exit(2);
    }
    return part;
}
