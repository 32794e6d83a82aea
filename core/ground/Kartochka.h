#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// One personal card, as stored in a person file.
struct Kartochka {
    QString FileName;       // file it was read from or last written to; not stored
    QString Otvety;         // one digit per question, in question order
    QString NameFamiliya;
    int DataRogdeniya = 0;  // year of birth
    int Podrobnee = 0;      // 1 when the nine details are filled in
    std::array<QString, 9> Podrobnosti;
    int Pol = 0;            // 0 man, 1 woman
    QString Parol;          // the test's password when the card was made
    // Not stored: false when the year line of the file could not be read,
    // so that no age is made up from a missing year.
    bool DataRogdeniyaKnown = true;
    // Not stored in the person file: whom the person accepts ("Кого ищу") as
    // the desk encodes it, empty for anyone. Kept with the folder's desk once
    // the card is saved.
    QString Accepts;
    // Not stored: the bytes of FileName as this desk last read or wrote them,
    // none for a card that never came from its file. A change or deletion
    // goes ahead only while the file still holds them, so that another desk
    // sharing the folder never loses its change or sees its deletion undone.
    std::optional<QByteArray> OnDisk;
};

// Card slots: 0 the person taking the test, 1 the card opened from the lists
// (and the reference of a pair search), 2 a candidate opened from a ranking.
using CardSlots = std::array<Kartochka, 3>;
