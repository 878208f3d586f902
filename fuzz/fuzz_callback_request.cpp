// What a browser (or anything else on this machine) sends to the sign-in
// port: at most one request's worth of bytes, then the path it passes on.
#include "FuzzSupport.h"
#include "agent/OpenAICallbackListener.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The listener stops reading at its limit.
    const QByteArray received = fuzzBytes(data, size).left(OpenAICallbackListener::requestLimit);
    const QString path = OpenAICallbackListener::callbackPath(received);
    if (path.isEmpty())
        return 0;
    FUZZ_CHECK(path.startsWith(QLatin1String("/auth/callback")));
    // The path goes on as one line of the tool's input.
    for (const QChar c : path)
        FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7f);
    return 0;
}
