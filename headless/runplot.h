// The window's chart of a whole run, drawn to a picture file.
#pragma once

#include <QByteArray>
#include <QString>

class Timeline;

// SVG for a name ending in .svg, PNG for .png; nothing else is a plot.
bool isPlotFileName(const QString &path);

// The picture's bytes, in the format the name asks for; empty when it could
// not be drawn.
QByteArray plotOf(const Timeline &timeline, const QString &path, const QString &title);
