// The string table and icons, as the window layer loads them.
#pragma once

#include <QIcon>
#include <QString>

// The string with that id, or an empty string when there is none.
QString LoadStringResource(int nId);
// Replaces a string of the table for the rest of the run (tests use it).
void SetStringResource(int nId, const QString& text);
QIcon LoadIconResource(int nId);
