#pragma once

#include <QString>

// Texts of the main window, the start-up splash and the about box, as the program shows them.

// Title of the main window until the port dialog or a loaded file changes it.
QString MainCaption();

// The two labels of the start-up splash.
QString SplashTitle();       // "VORL Analyser"
QString SplashProductName(); // "QLV 40 - Version 5.6"

// How long the splash stays on screen before the main window accepts input.
constexpr int kSplashMs = 3000;

// The line break the about box puts before each text it appends: a line feed, then a carriage return.
QString AboutLineBreak();

// The captions of the about box once its load has appended its texts. The multi-line ones keep the
// line feed + carriage return pairs exactly as the about box builds them.
struct AboutTexts {
    QString lblTitle;
    QString lblVersion;
    QString Label_Version;
    QString lblDescription;
    QString Label_System_Exploitation;
    QString Label_Resolution;
    QString Label_FirmWare;
    QString cmdOK;
};
AboutTexts BuildAboutTexts();

// A label shows one line break per break of the text, whatever pair of characters wrote it:
// "\n\r", "\r\n", a lone "\n" or a lone "\r" each become one "\n".
QString NormaliseLineBreaks(const QString& text);
