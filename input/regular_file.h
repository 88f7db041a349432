#pragma once

#include <string>

namespace varnel {

/// Opens `path` for reading if it is a regular file, without waiting on a FIFO that has no
/// writer; returns the descriptor. Throws VarnelError with the runtime's I/O error text
/// otherwise (access denied for a folder, a FIFO or a device, which may never end).
int OpenRegularFile(const std::string& path);

}  // namespace varnel
