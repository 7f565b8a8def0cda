#pragma once

#include <QFont>

// The fonts the windows were drawn with are Windows fonts; where they are missing the DejaVu family
// of every Linux desktop takes their place with the same size and weight.
QFont comicFont(int pointSize, bool bold = false);
QFont arialFont(int pointSize, bool bold = false);
