#include "store/integertext.h"

#include "store/converterror.h"

#include <cstdint>
#include <limits>

namespace kerulo {

int parseInteger(const QString& text) {
    const auto invalid = [&text] {
        return ConvertError("'" + text.toStdString() + "' is not a valid integer value");
    };
    qsizetype i = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        ++i;
    if (i == text.size())
        throw invalid();
    // Accumulated in 64 bits and checked after every digit, so an overflow cannot wrap.
    const std::int64_t limit =
        negative ? -std::int64_t{std::numeric_limits<int>::min()} : std::numeric_limits<int>::max();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // Only ASCII digits: QChar::isDigit would let in digits of other scripts.
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw invalid();
        value = value * 10 + (c.unicode() - '0');
        if (value > limit)
            throw invalid();
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace kerulo
