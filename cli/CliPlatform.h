#pragma once

#include "ground/HeadlessPlatform.h"

#include <cstdio>

// The desktop of a command line: messages go to standard error, and an error
// message means the command has failed.
class CliPlatform : public HeadlessPlatform {
public:
    bool failed = false;
    // Put before every message (the import names the line of its row).
    QString prefix;

    CliPlatform()
    {
        onMessage = [this](const QString& text, MsgIcon icon) {
            if (icon == MsgIcon::Critical)
                failed = true;
            std::fflush(stdout);
            const QByteArray line = (prefix + text).toUtf8() + '\n';
            std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        };
    }
};
