#pragma once

#include <QString>

// Text typed by the people who take tests (names, details, photo paths) is
// shown in pages the operator reads. It must appear as typed and never act as
// markup or script, whether it stands between tags or inside a '...' attribute.
QString HtmlText(const QString& text);

// A number with a sign position, as the pages show counts and ages: " 12", "-3".
QString SignedNumber(int value);
