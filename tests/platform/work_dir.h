#pragma once
// Standard error caught into a string (the temporary working directory is
// support/panel_fixture.h's TemporaryDirectory, waiting support/eventually.h's).

#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/eventually.h"

namespace vantor::testing {

// Everything written to standard error while it lives; text() ends the capture.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()), saved_(::dup(2)) {
        std::fflush(stderr);
        ::dup2(::fileno(file_), 2);
    }
    ~StderrCapture() {
        text();
        std::fclose(file_);
    }
    std::string text() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
        std::string out;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) out += static_cast<char>(c);
        return out;
    }

private:
    std::FILE* file_;
    int saved_;
};

}  // namespace vantor::testing
