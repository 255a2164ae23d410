#include "LimitsSources.h"

#include "ArchiveController.h"
#include "ArchivePage.h"
#include "DownloadController.h"

#include "ArchiveError.h"
#include "OpenArchive.h"
#include "RecordList.h"

#include <QComboBox>
#include <QTableView>

namespace Sondrel {

namespace {

QString NameOf(const std::string& name, const std::string& identity) {
    return QString::fromStdString(name.empty() ? identity : name);
}

} // namespace

TLimitsSource DownloadLimitsSource(TDownloadController& download, TArchiveController& archive,
                                   QTableView& view) {
    TLimitsSource source;
    source.Subject = [&archive](QString& why) -> std::optional<TLimitsSubject> {
        const auto& instrument = archive.LastInstrument();
        if (!instrument) {
            why = QStringLiteral("Limits belong to an instrument: they are shown once records "
                                 "have been downloaded.");
            return std::nullopt;
        }
        TLimitsSubject subject{instrument->Identity, NameOf(instrument->Name, instrument->Identity),
                               std::nullopt};
        // The archive's id of it, for the acknowledgements, when the download was kept there.
        try {
            TArchiveOpenOptions options;
            options.ReadOnly = true;
            for (const TInstrumentSummary& known :
                 OpenArchive(archive.Location(), options)->Instruments()) {
                if (known.Identity == instrument->Identity) {
                    subject.InstrumentId = known.Id;
                }
            }
        } catch (const EArchiveError&) {
            // No archive, or none to read: the limits and marks work without it.
        }
        return subject;
    };
    source.Data = [&download] {
        const TRecordList& list = download.Engine().List();
        TTrendDataBuilder builder;
        for (std::int32_t row = 0; row < list.Count(); ++row) {
            builder.Add(list.Item(row), row);
        }
        return std::make_shared<const TTrendData>(builder.Finish());
    };
    source.Model = [&download] { return &download.Model(); };
    source.View = &view;
    source.Archive = [&archive] { return std::optional<TArchiveLocation>(archive.Location()); };
    return source;
}

TLimitsSource ArchiveLimitsSource(TArchiveController& archive, TArchivePage& page) {
    TLimitsSource source;
    source.Subject = [&archive, &page](QString& why) -> std::optional<TLimitsSubject> {
        IArchiveStore* reader = archive.Reader();
        const QVariant chosen = page.instrumentComboBox->currentData();
        if (reader == nullptr) {
            why = QStringLiteral("No archive to read: no limits or excursions.");
            return std::nullopt;
        }
        if (!chosen.isValid()) {
            why = QStringLiteral("Choose an instrument to see its limits and excursions.");
            return std::nullopt;
        }
        try {
            for (const TInstrumentSummary& known : reader->Instruments()) {
                if (known.Id == chosen.toLongLong()) {
                    return TLimitsSubject{known.Identity, NameOf(known.Name, known.Identity),
                                          known.Id};
                }
            }
        } catch (const EArchiveError& e) {
            why = QString::fromStdString(e.what());
            return std::nullopt;
        }
        why = QStringLiteral("The archive no longer holds the instrument chosen.");
        return std::nullopt;
    };
    // The rows in the order the table shows them: the trend's rows are the table's. An archive
    // that cannot be read leaves none (the table's count line says why).
    source.Data = [&archive] { return archive.TableTrend(); };
    source.Model = [&archive] { return archive.Model(); };
    source.View = page.archiveListView;
    source.Archive = [&archive] { return std::optional<TArchiveLocation>(archive.Location()); };
    return source;
}

} // namespace Sondrel
