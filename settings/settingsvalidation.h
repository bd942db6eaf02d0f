#pragma once

#include <QString>

#include <optional>

namespace kerulo {

/// The checks the settings dialog runs on its boxes before a save, in the order the user meets
/// them. Each gives the message to show, or nothing when the boxes may be saved. Blanks around
/// a number are ignored: ASCII spaces, tabs, line breaks, vertical tabs and form feeds, which
/// the database ignores too when it stores the untrimmed text; other white space counts as any
/// other character. A text that is not a decimal integer in the 32-bit range raises
/// ConvertError when its turn comes, so an earlier message wins over a later bad number.
class SettingsValidation {
public:
    static std::optional<QString> checkHalo(const QString& sizeText, const QString& opacityText);
    static std::optional<QString> checkFollowImage(const QString& offsetText);

    // The ranges the dialog offers; its labels name them too.
    static constexpr int MinHaloSize = 1;
    static constexpr int MaxHaloSize = 600;
    static constexpr int MinOpacity = 0;
    static constexpr int MaxOpacity = 255;
    static constexpr int MinOffset = 0;
    static constexpr int MaxOffset = 130;
};

} // namespace kerulo
