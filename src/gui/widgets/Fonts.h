#pragma once

class QApplication;

namespace quorrel {

// The Song-style face the windows and receipts ask for by its Windows names ("宋体", "SimSun", …)
// is Noto Serif CJK SC here.
inline constexpr const char* kSongFace = "Noto Serif CJK SC";

void installFontSubstitutions();

// The program's look: Chinese texts on Qt's own buttons (确定, 取消, 是, 否), the Fusion style and
// the Song face for every window.
void installLookAndLanguage(QApplication& app);

} // namespace quorrel
