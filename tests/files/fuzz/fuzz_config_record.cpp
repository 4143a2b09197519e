// libFuzzer target for the record reader. Beyond not crashing, whatever reads as a whole record
// must write and read back to the same fields.

#include "config_record.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ConfigRecord record;
    const RecordStatus status = read_config_record(bytes, record);
    if (status != RecordStatus::Ok && status != RecordStatus::WrongModel)
        return 0;

    const RecordBytes written = write_config_record(record);
    if (written.fault) {
        // Every byte decodes to a character the code page holds, so only a quote inside an
        // unquoted text can stop the writer.
        if (written.fault->kind != TextFault::DoubleQuote)
            std::abort();
        return 0;
    }
    ConfigRecord again;
    if (read_config_record(written.bytes, again) != status || !(again == record))
        std::abort();
    return 0;
}
