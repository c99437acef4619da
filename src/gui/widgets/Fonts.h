#pragma once

class QApplication;

namespace quorrel {

// The Song-style face the windows and receipts ask for by its Windows names ("宋体", "SimSun", …)
// is Noto Serif CJK SC here.
inline constexpr const char* kSongFace = "Noto Serif CJK SC";

// The windows' text size in pixels. The windows' units were laid out for a Song face whose Chinese
// characters are 12 pixels wide and whose digits are 6; Noto's lines are taller and its digits
// wider, so at 11 pixels its texts take the room the layout gives them (a unit that is still too
// small for its text is made larger in its window definition).
inline constexpr int kWindowPixelSize = 11;

void installFontSubstitutions();

// Qt takes the system locale, in which its file dialogs show sizes and dates, from the environment
// (LC_ALL, LC_TIME, LANG, …) while the application object is made. Called before QApplication is
// made, this has that locale read as Chinese whatever the environment says; installLookAndLanguage
// then puts the environment back, so that the programs started later (the calculator, the program
// itself again) get the user's own.
void preferChineseSystemLocale();

// The program's look and language: the Fusion style and the Song face for every window, Chinese
// texts on Qt's own buttons and dialogs (确定, 取消, 是, 否, the file dialogs, the date pickers)
// and a Chinese locale for them, whatever LANG says. The program's own number and date texts do not
// depend on the locale.
void installLookAndLanguage(QApplication& app);

} // namespace quorrel
