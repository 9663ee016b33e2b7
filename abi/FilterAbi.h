#pragma once

// The interface between the program and its description filter modules: three C entry points
// of a shared object named after the filter in lower case with the extension ".k32". A module
// turns one file into text that the program stores as the file's description.

#include <cstdint>

namespace vellomar {

extern "C" {

// Results of OpenTransfer.
enum FilterOpenResult : int32_t {
  kFilterOpened = 0,
  kFilterNoText = 1,  // not a file of the module's kind, unreadable, or without any text
};

// Results of GetOneBlock.
enum FilterBlockResult : int32_t {
  kFilterMoreMayFollow = 0,
  kFilterLastBlock = 1,
};

// The program never asks for more than this in one block.
constexpr int32_t kFilterMaxBlock = 8192;

// Opens fileName (zero-terminated, UTF-8) and sets *transfer to a handle for the other two calls.
using FilterOpenTransferProc = int32_t (*)(const char* fileName, int32_t* transfer);
// Writes at most wanted bytes (and at most kFilterMaxBlock) of the text to buffer and their
// number to *delivered. The text is UTF-8 with CR LF line breaks, and a block never ends
// inside a character: when the next character does not fit into wanted bytes, 0 bytes are
// delivered. An unknown handle or a wanted below 1 delivers nothing and answers
// kFilterLastBlock.
using FilterGetOneBlockProc = int32_t (*)(int32_t transfer, uint8_t* buffer, int32_t wanted,
                                          int32_t* delivered);
// Frees what OpenTransfer took; an unknown handle is ignored.
using FilterCloseTransferProc = void (*)(int32_t transfer);

int32_t OpenTransfer(const char* fileName, int32_t* transfer);
int32_t GetOneBlock(int32_t transfer, uint8_t* buffer, int32_t wanted, int32_t* delivered);
void CloseTransfer(int32_t transfer);

}  // extern "C"

}  // namespace vellomar
