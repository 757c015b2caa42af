// A write that fails whoever runs the test: permissions do not stop root,
// the per-process file-size limit does.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testcommon {

/*! While it lives, files this process writes cannot grow beyond `bytes`:
    a write past the limit fails (SIGXFSZ is ignored meanwhile). */
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        previousSoft_ = limit.rlim_cur;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = previousSoft_;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlim_t previousSoft_;
    void (*previousHandler_)(int);
};

} // namespace testcommon
