#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/Extract.h"
#include "setup/ZipEntryStream.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

using Bytes = std::vector<uint8_t>;

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);
uint32_t crcOf(const Bytes& bytes);
// Text with long repeats and a spread of characters, so every decoder path is taken.
Bytes sampleText(size_t size, uint32_t seed);

// Makes a folder current for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& path);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::string previous_;
};

// Decodes from memory into memory.
class MemoryEntryStream : public setup::ZipEntryStream {
 public:
  MemoryEntryStream(Bytes compressed, uint32_t uncompressedSize);
  int ReadByte() override;
  const Bytes& output() const { return output_; }

 protected:
  void storeByte(uint8_t byte) override { output_.push_back(byte); }

 private:
  Bytes input_;
  size_t position_ = 0;
  Bytes output_;
};

struct ZipTestEntry {
  std::string name;
  uint16_t method = 0;
  uint16_t flags = 0;
  Bytes data;        // as stored in the archive
  uint32_t crc = 0;  // of the content
  uint32_t uncompressedSize = 0;
  uint16_t dosDate = 0x5A21;  // 2025-01-01
  uint16_t dosTime = 0x6000;  // 12:00:00
};

ZipTestEntry storedEntry(const std::string& name, const Bytes& content);
// Local headers, then a central directory unless left out.
Bytes buildZip(const std::vector<ZipTestEntry>& entries, bool centralDirectory = true);

// Records what the reader asks of the dialog; answers with a preset reply.
class RecordingProgress : public setup::InstallProgress {
 public:
  void setProgressLabel(const std::string& text) override { labels.push_back(text); }
  void setGauge(int percent) override { gauges.push_back(percent); }
  bool abortRequested() override { return ++abortTests > abortAfter; }
  setup::InstallAnswer ask(const std::string& caption, const std::string& text) override {
    questions.push_back(caption + "|" + text);
    return answer;
  }

  std::vector<std::string> labels;
  std::vector<int> gauges;
  std::vector<std::string> questions;
  int abortTests = 0;
  int abortAfter = 1 << 30;
  setup::InstallAnswer answer = setup::InstallAnswer::kYes;
};

}  // namespace vellomar::test
