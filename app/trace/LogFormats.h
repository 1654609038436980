#pragma once

#include "trace/CTraceData.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace kivplus {

class CTraceLog;
class LogLineReader;

enum class LogFormat { None, Kl, Asc, Csv };

// The format named by the text after the last "." of the path, in any case.
LogFormat logFormatOfPath(const std::string& path);

// Own format ("kl"): one line per record, assembled ten at a time and written
// with one call per block.
bool writeKlRecords(std::FILE* file, const CTraceData* records, int count);
bool writeKlLog(std::FILE* file, const CTraceLog& log);
// One own-format line (longer than 2 bytes with its line end) into a record.
void readKlLine(std::string_view line, CTraceData& record);
void readKlLog(LogLineReader& reader, CTraceLog& log);

// CANoe ASCII ("asc").
bool writeAscLog(std::FILE* file, const CTraceLog& log);
// One data line; the record and extra must be zero-filled.
void readAscDataLine(std::string_view line, CTraceData& record, sLogExtraInfo& extra);
void readAscLog(LogLineReader& reader, CTraceLog& log);
// "s.uuuuuu" of a record's time: whole seconds without leading zeros.
std::string secondsText(const CTraceData& record);
// "HHHH:MM:SS.uuuuuu" from a seconds text such as 83.123456; false when the
// hours do not fit four digits.
bool timeStampFromSeconds(std::string_view seconds, char (&text)[18]);

// Vehicle Spy ("csv"). Writing resets the log's network names.
bool writeCsvLog(std::FILE* file, CTraceLog& log);
// One data line; the record and extra must be zero-filled.
void readCsvDataLine(std::string_view line, CTraceLog& log, CTraceData& record, sLogExtraInfo& extra);
void readCsvLog(LogLineReader& reader, CTraceLog& log);

} // namespace kivplus
