#pragma once
// The archive library: process-wide ZIP writer with status lines delivered into a text box.
//
// Every call returns a 16-bit result, 0 for success. A "window handle" is a QObject (a
// QWidget); the status window is normally a hidden QLineEdit: each status line is set as
// its "text" property on the calling thread, so its textChanged handler runs inside addZIP.
//
// Status line fields, separated by "|":
//   1 "ZIP"  2 action ("Compactando", "Concluído")  3 file number (from 1)  4 file name
//   (a "|" in it shown as "¦")
//   5 file size in bytes  6 file percent  7 overall percent (0 to 100)  8 bytes read so far
// A line is written when a file's data starts going into the archive, every few megabytes
// of it and when it is all in; the last line (overall 100) only once the archive is in
// place. The files are read and deflated on other threads, one per core; the lines, and
// so the status window's handler, stay on the calling thread.
//
// Each entry keeps the file's name byte for byte (flagged UTF-8 when it is), its Unix mode
// and its modification time (exact, beside the DOS time). A file gone when its turn comes
// is left out; one that cannot be read fails the run. The same files give the same
// archive bytes.
//
// An archive is written to a temporary file beside it and renamed over its name only when
// complete and synced: a failed run leaves no partial file and any older archive of the
// same name as it was. A run first removes, from the archive's folder, the temporaries
// that killed runs left behind (see temporaries.h).
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace ark::zip {

// Results of the calls (0 = success).
inline constexpr qint16 kOk = 0;
inline constexpr qint16 kInvalidArgument = 1;   // empty mask or name, level out of 0..9
inline constexpr qint16 kBusy = 2;              // addZIP called while a run is in progress
inline constexpr qint16 kSourceNotFound = 3;    // the include folder does not exist
inline constexpr qint16 kReadError = 4;         // a folder or file could not be read
inline constexpr qint16 kNothingToArchive = 5;  // no file matched the masks
inline constexpr qint16 kWriteError = 6;        // the archive could not be written
inline constexpr qint16 kSourceNotAFolder = 7;  // the include folder is a file

qint16 addZIP_Initialise();
qint16 addUNZIP_Initialise();
qint16 addZIP_SetParentWindowHandle(QObject* handle);
qint16 addUNZIP_SetParentWindowHandle(QObject* handle);
// The latest call decides which window receives the status lines (nullptr: none).
qint16 addZIP_SetWindowHandle(QObject* handle);
qint16 addUNZIP_SetWindowHandle(QObject* handle);
// 0 stores, 1 to 9 are deflate levels.
qint16 addZIP_SetCompressionLevel(int level);
// A folder, the separator and a wildcard ("*.*" for every file). Adds to the masks of the
// next archive; the files directly in the folder, hidden ones included, no sub-folders.
qint16 addZIP_Include(const QString& mask);
qint16 addZIP_ArchiveName(const QString& path);
// Writes the archive; the masks and the name are used up by the run, successful or not.
// An exception raised by the status window's handler ends the run like a failure (nothing
// left behind) and then goes on to the caller.
qint16 addZIP();

// Why the latest addZIP failed, in Portuguese; empty after a successful one.
QString addZIP_LastError();

// For tests: called with each file's path just before it is opened, on the reader thread.
using OpenHook = std::function<void(const QByteArray& path)>;
void addZIP_SetOpenHook(OpenHook hook);

}  // namespace ark::zip
