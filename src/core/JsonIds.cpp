#include "core/JsonIds.h"

#include <cmath>
#include <limits>

namespace JsonIds {

std::optional<QString> idString(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble()) {
        // QJsonValue keeps integers that fit in 64 bits exactly; doubles with a
        // fraction are not ids.
        const QVariant v = value.toVariant();
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
            return QString::number(v.toLongLong());
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.007199254740992e15)
            return QString::number(static_cast<qint64>(d));
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> tdlibID(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the minimum value parses too.
    qint64 value = 0;
    constexpr qint64 minValue = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (value < (minValue + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == minValue)
            return std::nullopt;
        value = -value;
    }
    return value;
}

} // namespace JsonIds
