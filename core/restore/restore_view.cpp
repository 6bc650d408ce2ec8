#include "core/restore/restore_view.h"

#include <cstdio>

#include "core/backup_state.h"
#include "core/message.h"
#include "core/run_snapshot.h"
#include "resources/restore_texts.h"
#include "resources/texts.h"

namespace zb {

bool reachable(IShellFiles& files, const Place& p) {
    if (p.target.empty() || p.medium.empty()) return false;
    const std::string root = p.target.back() == '\\' ? p.target : p.target + "\\";
    const auto now = mediumOf(files, root);
    return now && mediumText(*now) == p.medium;
}

std::string Shown::date(const LocalDateTime& t) const { return locale.formatShortDate(t); }

std::string Shown::moment(std::int64_t fileTime) const {
    const std::int64_t utc = fileTime / 10000000LL - 11644473600LL;
    const LocalDateTime t = fromSeconds(utc + std::int64_t{utcOffset(utc)} * 60);
    return date(t) + " " + hhmm(t.hour, t.minute);
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " Byte";
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double v = static_cast<double>(bytes) / 1024;
    int u = 0;
    while (v >= 1024 && u < 3) {
        v /= 1024;
        ++u;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %s", v, kUnits[u]);
    for (char* c = buf; *c; ++c)
        if (*c == '.') *c = ',';
    return buf;
}

std::string backupText(const Place& p, const Shown& shown) {
    static constexpr const char* kDays[] = {txt::Monday, txt::Tuesday,  txt::Wednesday, txt::Thursday,
                                            txt::Friday, txt::Saturday, txt::Sunday};
    const char* day = p.weekday >= 1 && p.weekday <= 7 ? kDays[p.weekday - 1] : "";
    return fill(txt::RestoreBackup, {day, shown.date(p.start)}) + (p.whole() ? "" : txt::RestoreNotWhole);
}

std::string driveText(const Place& p) {
    return p.label.empty() ? fill(txt::RestoreDriveNoLabel, {p.targetNo})
                           : fill(txt::RestoreDrive, {p.targetNo, p.label});
}

const Place* bestPlace(const Version& v, const std::function<bool(const Place&)>& isReachable) {
    const Place* found = nullptr;
    for (const Place& p : v.places) {
        if (!isReachable(p)) continue;
        if (p.whole()) return &p;  // newest first
        if (!found) found = &p;
    }
    return found;
}

std::string versionLine(const Version& v, const Shown& shown, const std::function<bool(const Place&)>& isReachable,
                        const std::function<LocalDateTime(const std::string& medium)>& newest) {
    std::string backups, drives;
    for (const Place& p : v.places) {
        backups += (backups.empty() ? "" : "; ") + backupText(p, shown);
        drives += (drives.empty() ? "" : "; ") + driveText(p);
    }
    std::string state;
    if (bestPlace(v, isReachable)) {
        state = txt::RestoreReachable;
    } else if (!v.places.empty()) {
        const Place& p = v.places.front();
        const std::string last = shown.date(newest(p.medium));
        state = p.label.empty() ? fill(txt::RestorePlugInNoLabel, {p.targetNo, last})
                                : fill(txt::RestorePlugIn, {p.targetNo, p.label, last});
    }
    return v.name() + '\t' + v.folder() + '\t' + sizeText(v.size) + '\t' + shown.moment(v.lastWrite) + '\t' +
           backups + '\t' + drives + '\t' + state;
}

}  // namespace zb
