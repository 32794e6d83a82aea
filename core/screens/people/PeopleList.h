#pragma once

#include <QString>

#include <functional>

class App;

// Main menu "Список мужчин" (0) / "Список женщин" (1), also the start page's
// links "m" and "w": the list of that sex in the secondary window.
void FileListLudey_Click(App& app, int index);

// The waiting page, painted before a long scan.
void ListLudeyStart(App& app);
// Scans the person files of sex ListWomen in WorkFolder and shows page 1.
void ListLudeyLoad(App& app);
// Builds page PeoplePage of the loaded list and shows it.
void ShowStranicy(App& app);
// The desk's links of the list: everyone or only the active and paused; the
// age range from two number dialogs, and its clearing. Each scans again.
void ToggleEveryone(App& app);
void AskAgeRange(App& app);
void ClearAgeRange(App& app);

// Reads the person files of sex ListWomen into People and sorts them into
// PeopleOrder; `accept` (when given) picks people by their name. Files that
// cannot be read or are not person files are passed over.
void ScanPeople(App& app, const std::function<bool(const QString& name)>& accept);
