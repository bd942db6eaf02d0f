// Any text as what the settings dialog's boxes may hold (pasted, so not only digits), run
// through the checks a save makes, and the dialog's other small rules. The checks' outcome is
// compared with what the documented rules give, worked out here another way: a sign and ASCII
// digits within the 32-bit range, ASCII blanks around them ignored.
//
// Input: the box texts, one per line, UTF-8; an input starting with the bytes FF FE is UTF-16
// instead, so that any QChar (unpaired surrogates included) can arrive. Lines in order: halo
// size, opacity, follow offset, a picture file name, a key's text, a colour number.

#include "settings/colournumber.h"
#include "settings/freefilename.h"
#include "settings/numberkeyfilter.h"
#include "settings/settingsvalidation.h"
#include "store/converterror.h"

#include <QString>
#include <QStringList>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

using kerulo::ConvertError;
using kerulo::SettingsValidation;

namespace {

[[noreturn]] void fail(const char* what, const QStringList& fields) {
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    for (const QString& field : fields)
        std::fprintf(stderr, "  field \"%s\"\n", field.toUtf8().constData());
    std::abort();
}

// The text without the ASCII blanks around it, the only ones the database ignores as well.
std::string withoutBlanks(const QString& text) {
    const std::string utf8 = text.toStdString();
    const char* const blanks = " \t\n\v\f\r";
    const std::size_t begin = utf8.find_first_not_of(blanks);
    if (begin == std::string::npos)
        return {};
    return utf8.substr(begin, utf8.find_last_not_of(blanks) - begin + 1);
}

// The number a box text stands for, or nothing when saving it must raise ConvertError.
std::optional<int> numberIn(std::string ascii) {
    // from_chars takes a minus sign but no plus sign.
    if (ascii.size() > 1 && ascii[0] == '+' && ascii[1] != '-')
        ascii.erase(0, 1);
    int value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto result = std::from_chars(ascii.data(), end, value, 10);
    // Characters beyond ASCII arrive as bytes from 0x80 up, which no number takes.
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

// What a check did: its message, "no message", or ConvertError.
struct Outcome {
    bool converted = true;
    std::optional<QString> message;

    bool operator==(const Outcome& other) const {
        return converted == other.converted && message == other.message;
    }
};

template <typename Check> Outcome outcomeOf(Check&& check) {
    try {
        return {true, check()};
    } catch (const ConvertError&) {
        return {false, std::nullopt};
    }
}

// The dialog's messages, taken from the checks themselves so they are not restated here.
struct Messages {
    QString haloEmpty = *SettingsValidation::checkHalo(QString(), QString());
    QString sizeRange = *SettingsValidation::checkHalo(QStringLiteral("0"), QStringLiteral("0"));
    QString opacityRange =
        *SettingsValidation::checkHalo(QStringLiteral("1"), QStringLiteral("256"));
    QString offsetEmpty = *SettingsValidation::checkFollowImage(QString());
    QString offsetRange = *SettingsValidation::checkFollowImage(QStringLiteral("131"));
};

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

Outcome expectedHalo(const Messages& m, const QString& sizeText, const QString& opacityText) {
    const std::string size = withoutBlanks(sizeText);
    const std::string opacity = withoutBlanks(opacityText);
    if (size.empty() || opacity.empty())
        return {true, m.haloEmpty};
    const std::optional<int> sizeValue = numberIn(size);
    if (!sizeValue)
        return {false, std::nullopt};
    if (!within(*sizeValue, SettingsValidation::MinHaloSize, SettingsValidation::MaxHaloSize))
        return {true, m.sizeRange};
    const std::optional<int> opacityValue = numberIn(opacity);
    if (!opacityValue)
        return {false, std::nullopt};
    if (!within(*opacityValue, SettingsValidation::MinOpacity, SettingsValidation::MaxOpacity))
        return {true, m.opacityRange};
    return {true, std::nullopt};
}

Outcome expectedFollowImage(const Messages& m, const QString& offsetText) {
    const std::string offset = withoutBlanks(offsetText);
    if (offset.empty())
        return {true, m.offsetEmpty};
    const std::optional<int> value = numberIn(offset);
    if (!value)
        return {false, std::nullopt};
    if (!within(*value, SettingsValidation::MinOffset, SettingsValidation::MaxOffset))
        return {true, m.offsetRange};
    return {true, std::nullopt};
}

QStringList fieldsOf(const std::uint8_t* data, std::size_t size) {
    QString text;
    if (size >= 2 && data[0] == 0xff && data[1] == 0xfe)
        text = QString(reinterpret_cast<const QChar*>(data + 2), qsizetype((size - 2) / 2));
    else
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList fields = text.split(QLatin1Char('\n'));
    while (fields.size() < 6)
        fields.append(QString());
    return fields;
}

void checkFileName(const QStringList& fields) {
    using kerulo::FreeFileName;
    const QString& wanted = fields[3];
    // Names taken by other files: as many as the key text's length says, up to 20.
    const int taken = int(fields[4].size() % 21);
    const QString picked = FreeFileName::pick(wanted, [&](const QString& name) {
        for (int number = 1; number <= taken; ++number)
            if (name == (number == 1 ? wanted : FreeFileName::numbered(wanted, number)))
                return FreeFileName::Slot::OtherFile;
        return FreeFileName::Slot::Free;
    });
    const QString expected = taken == 0 ? wanted : FreeFileName::numbered(wanted, taken + 1);
    if (picked != expected)
        fail("the free file name is not the first free one", fields);
    if (taken > 0 && (picked.size() <= wanted.size() ||
                      !picked.contains(QStringLiteral(" (%1)").arg(taken + 1))))
        fail("a numbered name does not carry its number", fields);
}

void checkKeys(const QStringList& fields) {
    using kerulo::NumberKeyFilter;
    const QString& text = fields[4];
    const int key = text.isEmpty() ? 0 : text.at(0).unicode();
    const bool digits = numberIn(text.toStdString()).has_value() &&
                        !text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('+'));
    const bool kept = NumberKeyFilter::keepsKey(key, Qt::NoModifier, text);
    if (digits && !kept)
        fail("typed digits are refused", fields);
    if (!NumberKeyFilter::keepsKey(key, Qt::ControlModifier, text) ||
        !NumberKeyFilter::keepsKey(Qt::Key_Backspace, Qt::NoModifier, text))
        fail("an editing key is refused", fields);
}

void checkColour(const QStringList& fields) {
    using kerulo::ColourNumber;
    const int number = numberIn(fields[5].toStdString()).value_or(int(qHash(fields[5])));
    if (ColourNumber::fromColour(ColourNumber::toColour(number)) != (number & 0xffffff))
        fail("a colour number does not come back from its colour", fields);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Messages messages;
    const QStringList fields = fieldsOf(data, size);

    const Outcome halo =
        outcomeOf([&] { return SettingsValidation::checkHalo(fields[0], fields[1]); });
    if (!(halo == expectedHalo(messages, fields[0], fields[1])))
        fail("the halo check disagrees with the rules", fields);
    const Outcome follow =
        outcomeOf([&] { return SettingsValidation::checkFollowImage(fields[2]); });
    if (!(follow == expectedFollowImage(messages, fields[2])))
        fail("the follow image check disagrees with the rules", fields);

    checkFileName(fields);
    checkKeys(fields);
    checkColour(fields);
    return 0;
}
