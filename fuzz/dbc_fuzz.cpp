// The DBC import on arbitrary bytes: parse, build the model, decode a frame
// with every signal.
#include "database/CMsgSignal.h"
#include "database/SignalCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kivplus::CMsgSignal database;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!database.importDbcBytes(bytes))
        return 0;
    for (const auto& message : database.messages) {
        database.findMessageById(message.id, message.extended);
        for (const auto& signal : message.signalList)
            kivplus::decodeSignal("01 23 45 67 89 AB CD EF", signal.startByte, signal.startBit, signal.length,
                                  signal.signalType, signal.byteOrder);
    }
    return 0;
}
