// The input of one fuzz run as a file, for the readers that take a file name,
// and the check that the whole-file readers read it whole or refuse it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TFuzzFile {
  public:
    // Writes the bytes to a file of this process in the temporary folder, its
    // name ending in suffix (".dsk"); removed by the destructor.
    TFuzzFile(const std::uint8_t* data, std::size_t size, const char* suffix);
    ~TFuzzFile();
    TFuzzFile(const TFuzzFile&) = delete;
    TFuzzFile& operator=(const TFuzzFile&) = delete;

    const std::string& Path() const { return FilePath; }

    // platform::ReadWholeFile under a limit one below, at or one above the
    // size (chosen by the last byte) gives the whole file or refuses it as too
    // large, never a short read; a TFileStream opened for reading reads it
    // whole. Traps otherwise.
    void CheckWholeFileReads() const;

  private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::string FilePath;
};
