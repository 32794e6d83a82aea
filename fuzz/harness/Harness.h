#pragma once

#include <QByteArray>

// Entry points that feed outside input to every reader of the program. The
// fuzz targets call them with libFuzzer's data; the regression test calls them
// with the inputs that once went wrong. Each must return normally for any input.
namespace harness {

bool TestFile(const QByteArray& data);     // OpenTest, AddTest
bool PersonFile(const QByteArray& data);   // OpenKartochka, list scan, name search, pair ranking
bool Settings(const QByteArray& data);     // start-up reading Тандемо.ini
bool BulkText(const QByteArray& data);     // the bulk question text reader
bool Dispatch(const QByteArray& data);     // VyborOtveta, VyborKartochki with any link text
bool WordWrap(const QByteArray& data);     // the question box's word wrap
bool Sheet(const QByteArray& data);        // the import of a results sheet (tandemo-cli import)
bool Journal(const QByteArray& data);      // a desk's journal file, read with the others
bool Manifest(const QByteArray& data);     // a backup's list of files, read before a restore
bool Consent(const QByteArray& data);      // a consent record from the store, and a consent text shown
bool WeightsBlock(const QByteArray& data); // the weights block after a test file's last field

}  // namespace harness
