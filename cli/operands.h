// The SOURCE and DEST operands as files or, for '-', as the standard streams.
#pragma once

#include <string>
#include <variant>

#include "cipher/conversion_error.h"
#include "cipher/conversion_job.h"

namespace pomuru {

// How messages name an operand: the path, or the standard stream that '-' stands for.
std::string SourceName(const std::string& source);
std::string DestName(const std::string& dest);

// True when converting would read and write one file: equal paths, one file under two names,
// or a standard stream redirected from or to the other operand's file. Two '-' are the same
// only when both streams are one regular file.
bool OperandsNameSameFile(const std::string& source, const std::string& dest);

// Opens SOURCE, and only then creates or empties DEST. Standard streams are borrowed, so the
// job never closes or empties them.
std::variant<ConversionJob, ConversionError> OpenOperands(const std::string& source,
                                                          const std::string& dest);

}  // namespace pomuru
