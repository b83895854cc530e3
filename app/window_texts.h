#pragma once

namespace kelvar {

// The program's name in message boxes that pass no caption of their own, and in fatal reports.
inline constexpr char kApplicationTitle[] = "Ostra.5X单据号工具";
// Form1's caption in its title bar.
inline constexpr char kWindowCaption[] = "Ostra.5X最大单据号";
// The one button of every message box.
inline constexpr char kOkButtonText[] = "确定";
// The help message's caption.
inline constexpr char kHelpCaption[] = "帮助";

}  // namespace kelvar
