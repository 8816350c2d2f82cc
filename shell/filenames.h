// File names as the system has them: bytes, which need not be UTF-8.
#pragma once

#include <QString>

// Makes the locale's UTF-8 keep every byte: a byte that is no part of valid
// UTF-8 reads as U+DC80 plus the byte and writes back as that byte, so a path
// from the command line names the same file when Qt opens it. Only where the
// locale's codec is UTF-8, and before any argument is read.
void keepFileNameBytes();

// The name as text to show or store: each kept byte as U+FFFD.
QString shownFileName(QString name);
