#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

// The text console: stream buffers straight on the standard file descriptors,
// so that every standard library and system writes and reads alike. They are
// the one place that knows the operating system's calls.
namespace console {

// Standard output. Holds what is written until a flush (or until its 8 KiB
// are full), then hands all of it to one write call. After a failed write it
// takes nothing more.
class Output : public std::streambuf {
  public:
    explicit Output(int fd = 1);
    Output(const Output&) = delete;  // one buffer a descriptor
    Output& operator=(const Output&) = delete;

    // The error number of the write that failed, 0 while none has.
    [[nodiscard]] int error() const
    {
        return error_;
    }

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    bool drain();

    int fd_;
    int error_ = 0;
    std::array<char, 8192> buffer_{};
};

// Standard input, read in blocks. After a failed read it reads no more.
class Input : public std::streambuf {
  public:
    explicit Input(int fd = 0);
    Input(const Input&) = delete;  // one buffer a descriptor
    Input& operator=(const Input&) = delete;

    // The error number of the read that failed, 0 while none has.
    [[nodiscard]] int error() const
    {
        return error_;
    }

  protected:
    int_type underflow() override;

  private:
    int fd_;
    int error_ = 0;
    std::array<char, 8192> buffer_{};
};

}  // namespace console
