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
    const QString clipped = PeekabooOutput::clipped(result.text, 40);
    FUZZ_CHECK(clipped == result.text || clipped.startsWith(result.text.left(40)));
    return 0;
}
