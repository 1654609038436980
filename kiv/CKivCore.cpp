#include "CKivCore.h"

#include "link/CanTxFrame.h"

#include <atomic>
#include <new>

namespace kiv {

namespace {

std::atomic<CKivCore*> gCore{nullptr};

// Builds the core when the library is loaded and releases whatever is left
// of it when the library is unloaded.
struct CoreLifetime {
    CoreLifetime() { CKivCore::create(); }
    ~CoreLifetime() { CKivCore::destroy(); }
} gLifetime;

} // namespace

CKivCore::CKivCore()
    : mDevice(&mStores)
    , mUdsService(
          [this](int channel, const KIVCommon::tCANData& frame, int senderKind) {
              std::uint8_t bytes[kMaxCanTxFrameSize];
              const auto length = static_cast<int>(buildCanTxFrame(channel, frame, senderKind, 0, bytes));
              return mDevice.write(bytes, length) == length;
          },
          mStores)
    , mUdsDown(mUdsService, mStores)
{
    mUdsService.esStart();
}

CKivCore* CKivCore::current()
{
    return gCore.load(std::memory_order_acquire);
}

void CKivCore::create()
{
    if (current())
        return;
    // Without memory for the stores the core does not exist; every call then
    // answers as documented for that case.
    try {
        gCore.store(new CKivCore, std::memory_order_release);
    } catch (const std::bad_alloc&) {
    }
}

void CKivCore::destroy()
{
    delete gCore.exchange(nullptr, std::memory_order_acq_rel);
}

} // namespace kiv
