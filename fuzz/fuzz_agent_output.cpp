// What the agent tool leaves on its standard output and error, and its exit
// status, into the result shown in the chat.
#include "FuzzSupport.h"
#include "agent/PeekabooOutput.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int status = input.ConsumeIntegralInRange(-2, 255);
    const QByteArray errorOutput = QByteArray::fromStdString(input.ConsumeRandomLengthString());
    const QByteArray output = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    const auto friendly = [](const QString &text) {
        return PeekabooOutput::friendlyError(text, QStringLiteral("ChatGPT")).text;
    };
    const PeekabooResult result = PeekabooOutput::parse(output, errorOutput, status, friendly);
    FUZZ_CHECK(!result.text.isEmpty());

    const QString step = PeekabooOutput::currentStep(QString::fromUtf8(errorOutput));
    FUZZ_CHECK(step.size() <= 110 + 1);
    // Clipping keeps the head whole (one character less rather than half a
    // surrogate pair) and says what it left out.
    const QString clipped = PeekabooOutput::clipped(result.text, 40);
    if (clipped != result.text) {
        const qsizetype cut = clipped.lastIndexOf(QStringLiteral("\n…(truncated, "));
        FUZZ_CHECK(cut == 39 || cut == 40);
        FUZZ_CHECK(result.text.startsWith(clipped.left(cut)));
        FUZZ_CHECK(!(result.text.at(cut - 1).isHighSurrogate() && result.text.at(cut).isLowSurrogate()));
    }
    return 0;
}
