#pragma once

#include <QString>

// The application title made from the product name: the last word is dropped, and further words
// while the title is longer than 40 characters. Throws when no blank is left to cut at.
QString AppTitleFor(const QString& productName);
void SetAppTitle(QString& appTitle);
