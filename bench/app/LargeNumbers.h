#pragma once

#include <QByteArray>

namespace tallix::bench {

// About 1 MB of numbers in lines ending in CR LF, as nums.txt holds them.
inline QByteArray oneMegabyteOfNumbers() {
    QByteArray text;
    while (text.size() < (1 << 20))
        text += "3.14159 2653589 7932384 626433\r\n";
    return text;
}

} // namespace tallix::bench
