#include "app/qt/history_setup.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <iostream>

#include "common/log_text.h"
#include "history/history_csv.h"

namespace tavrin {

Result<HistoryWriterOptions> HistoryWriterOptionsFor(const std::string& programDir,
                                                     const HistoryOptions& options) {
    HistoryWriterOptions o;
    if (options.db.empty()) {
        o.target = DefaultHistoryTarget(programDir);
    } else {
        auto target = ParseHistoryTarget(options.db);
        if (!target) return Result<HistoryWriterOptions>::Failure(target.failure());
        o.target = target.value();
    }
    if (o.target.dialect == HistoryDialect::PostgreSQL) {
        auto password = HistoryPassword(options.passwordFile);
        if (!password) return Result<HistoryWriterOptions>::Failure(password.failure());
        o.password = password.value();
    }
    o.keepDays = options.keepDays;
    return Result<HistoryWriterOptions>::Success(std::move(o));
}

std::unique_ptr<HistoryWriter> StartHistory(const std::string& programDir,
                                            const HistoryOptions& options, std::string& note) {
    note.clear();
    if (options.off) return nullptr;
    auto writerOptions = HistoryWriterOptionsFor(programDir, options);
    if (!writerOptions) {
        note = "no history is kept: " + writerOptions.failure();
        return nullptr;
    }
    auto writer = std::make_unique<HistoryWriter>(std::move(writerOptions.value()));
    if (auto started = writer->Start(); !started) {
        note = started.failure();
        return nullptr;
    }
    return writer;
}

int RunHistoryLookups(const std::string& programDir, const HistoryOptions& options) {
    auto writerOptions = HistoryWriterOptionsFor(programDir, options);
    if (!writerOptions) {
        std::cerr << "tavrinrat: " << writerOptions.failure() << "\n";
        return 64;
    }
    const HistoryTarget& target = writerOptions.value().target;
    // A look-up makes no database where there is none.
    const bool none = target.dialect == HistoryDialect::SQLite &&
                      !QFileInfo::exists(QString::fromLocal8Bit(target.path.c_str()));
    HistoryStore store(target, writerOptions.value().password);
    if (!none) {
        if (auto opened = store.Open(); !opened) {
            std::cerr << "tavrinrat: " << opened.failure() << "\n";
            return 69;
        }
    }
    int status = 0;
    if (!options.exportFile.empty()) {
        std::string csv = SanctionCsvHeader();
        if (!none)
            for (const SanctionRecord& s : store.AllSanctions()) csv += SanctionCsvLine(s);
        // Written whole or not at all.
        QSaveFile file(QString::fromLocal8Bit(options.exportFile.c_str()));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(csv.data(), static_cast<qint64>(csv.size())) !=
                static_cast<qint64>(csv.size()) ||
            !file.commit()) {
            std::cerr << "tavrinrat: cannot write " << options.exportFile << "\n";
            return 74;
        }
    }
    if (!options.player.empty()) {
        const auto lines = none ? std::vector<std::string>()
                                : PlayerRecordLines(store.Sessions(options.player),
                                                    store.Sanctions(options.player));
        for (const std::string& line : lines) {
            const std::string shown = EscapeControlBytes(line);
            std::fwrite(shown.data(), 1, shown.size(), stdout);
            std::fputc('\n', stdout);
        }
        std::fflush(stdout);
        if (lines.empty()) {
            std::cerr << "tavrinrat: no history of " << EscapeControlBytes(options.player) << "\n";
            status = 1;
        }
    }
    return status;
}

}  // namespace tavrin
