// CancelKey: the poll that long loops call between units of work.
#include "gui/CancelKey.h"

#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"

namespace vek {

namespace {

class HeadlessCancelKeySource final : public CancelKeySource {
public:
    ~HeadlessCancelKeySource() override;
    bool IsApplicationInactive() override { return false; }
    bool PeekKey(PendingKey&) override { return false; }
};

HeadlessCancelKeySource::~HeadlessCancelKeySource() = default;

int64_t nextCheckMs = 0;

}  // namespace

CancelKeySource::~CancelKeySource() = default;

template <>
CancelKeySource& Service<CancelKeySource>::Headless()
{
    static HeadlessCancelKeySource source;
    return source;
}

int32_t CheckCancelKey()
{
    CancelKeySource& source = Service<CancelKeySource>::Get();
    if (source.IsApplicationInactive())
        return 0;
    int64_t now = CurrentTimeMs();
    if (now < nextCheckMs)
        return 0;
    PendingKey key;
    int64_t seen = now;
    if (source.PeekKey(key)) {
        if (key.character == 27 || (key.character == '.' && key.command))
            SetCancelledError();
        seen = key.timeMs;
    }
    nextCheckMs = seen + 500;
    return GetPendingError().flag;
}

void ResetCancelKeyPoll() { nextCheckMs = 0; }

}  // namespace vek
