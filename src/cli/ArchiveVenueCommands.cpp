// The venues of the archive from the command line: a venue made, a device attached to it for some
// days, the list, and the older form that names the venue a device is at.
#include "cli/ArchiveCliSupport.h"
#include "cli/TerminalText.h"

using namespace ArchiveCli;

namespace {
// "venue add NAME": a new venue, its id printed.
int runVenueAdd(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive venue add")) return kUsageError;
    if (parsed.positional.size() != 1)
        return CliUsageError(io.err, QStringLiteral("archive venue add"), QStringLiteral("NAME expected"));
    int status = 0;
    auto archive = openArchive(parsed, io, status, ArchiveOpenMode::CreateIfMissing);
    if (!archive) return status;
    const auto id = archive->addVenue(parsed.positional.first());
    if (!id) return failure(io, id.error());
    io.out << *id << '\n';
    return 0;
}

// "venue attach --venue ID --device ID [--from D] [--to D]": the device is there on those days.
int runVenueAttach(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    const QString command = QStringLiteral("archive venue attach");
    if (!parse(args,
               {QStringLiteral("archive"), QStringLiteral("venue"), QStringLiteral("device"),
                QStringLiteral("from"), QStringLiteral("to")},
               parsed, io, "archive venue attach", true))
        return kUsageError;
    bool venueOk = false;
    const qint64 venue = parsed.value("venue").toLongLong(&venueOk);
    if (!venueOk || venue <= 0 || !parsed.has("device"))
        return CliUsageError(io.err, command,
                             QStringLiteral("--venue ID --device ID [--from D] [--to D] expected"));
    QDate from, to;
    if (!CliDayOption(parsed, "from", from, command, io.err) ||
        !CliDayOption(parsed, "to", to, command, io.err))
        return kUsageError;
    int status = 0;
    std::optional<ArchivedDevice> device;
    const auto archive = openArchiveAndDevice(parsed, io, status, device);
    if (!archive) return status;
    const auto attached = archive->attachDevice(venue, device->id, from, to);
    if (!attached) return failure(io, attached.error());
    return 0;
}

// "venue list": each venue and the days of its devices.
int runVenueList(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive venue list", true)) return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const auto venues = archive->venues();
    const auto stays =
        venues ? archive->venueDevices() : ArchiveResult<std::vector<VenueDevice>>::failure(venues.error());
    if (!stays) return failure(io, stays.error());
    const auto day = [](const QDate& d) { return d.isValid() ? dayText(d) : QStringLiteral("-"); };
    for (const ArchivedVenue& venue : *venues) {
        io.out << "venue " << venue.id << " \"" << TerminalText(venue.name) << "\"\n";
        for (const VenueDevice& stay : *stays)
            if (stay.venueId == venue.id)
                io.out << "  device " << stay.deviceId << " from " << day(stay.from) << " to " << day(stay.to)
                       << '\n';
    }
    return 0;
}

// "venue --serial S|--device ID --name TEXT" names the device's venue, as before venues had ids.
} // namespace

int RunArchiveVenue(const QStringList& args, CliStreams& io) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("add")) return runVenueAdd(args.mid(1), io);
    if (verb == QLatin1String("attach")) return runVenueAttach(args.mid(1), io);
    if (verb == QLatin1String("list")) return runVenueList(args.mid(1), io);
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("device"),
                QStringLiteral("name")},
               parsed, io, "archive venue", true))
        return kUsageError;
    if (!parsed.options.contains(QStringLiteral("name"))) {
        io.err << "vorl-cli archive venue: add NAME | attach --venue ID --device ID [--from D] [--to D] | "
                  "list | "
                  "--serial S|--device ID --name TEXT\n";
        return kUsageError;
    }
    int status = 0;
    std::optional<ArchivedDevice> device;
    const auto archive = openArchiveAndDevice(parsed, io, status, device);
    if (!archive) return status;
    if (const ArchiveStatus named =
            archive->setVenue(device->id, parsed.options.value(QStringLiteral("name")));
        !named)
        return failure(io, named.error());
    return 0;
}
