#pragma once

#include "NullSink.h"

#include <cstdio>
#include <memory>

namespace tallix::voice::test {

// The benchmark process's null sink: started on first use, before the process first touches the
// audio library, and stopped as the process exits, so that no sound server outlives the run.
inline NullSink* sink() {
    static const std::unique_ptr<NullSink> started = [] {
        auto created = std::make_unique<NullSink>();
        QString why;
        if (!created->start(why)) {
            std::fprintf(stderr, "no null sink: %s\n", qPrintable(why));
            return std::unique_ptr<NullSink>();
        }
        return created;
    }();
    return started.get();
}

} // namespace tallix::voice::test
