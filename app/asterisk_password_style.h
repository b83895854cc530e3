#pragma once

#include <QProxyStyle>

namespace kelvar {

// A style for the password box that masks every character with '*' and never shows the last one
// typed, whatever bullet the platform's own style would use.
class AsteriskPasswordStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

}  // namespace kelvar
