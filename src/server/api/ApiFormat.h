#pragma once

#include "core/archive/ArchiveTypes.h"
#include "server/HttpMessage.h"

#include <QDateTime>
#include <QJsonObject>

// Times of the API: YYYY-MM-DDTHH:MM in device time; null when unknown.
QJsonValue apiTime(const QDateTime& time);
QJsonObject apiCounts(const RecordCounts& counts);
QJsonObject apiDevice(const ArchivedDevice& device);

// A reading of the archive that failed: 500 with a French reason that names no location.
HttpResponse archiveFailure(const QString& reason);
// The one answer for a thing that does not exist and for one the user may not see.
HttpResponse notFound();
// A body to save, with its type and a name: ASCII for old clients, the exact name in filename*.
HttpResponse attachment(const QByteArray& body, const QByteArray& type, const QString& fileName);
