#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

// A broken expectation is a finding like a sanitizer report: say which and
// abort, so libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                                  \
    do {                                                                                                       \
        if (!(condition)) {                                                                                    \
            std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__, #condition);          \
            std::abort();                                                                                      \
        }                                                                                                      \
    } while (false)

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as a JSON object or array, as TDLib or a file would hand it over;
// nothing for input that is not JSON (the parser is Qt's, not ours).
inline std::optional<QJsonDocument> fuzzJson(const uint8_t *data, size_t size)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(fuzzBytes(data, size), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return doc;
}
