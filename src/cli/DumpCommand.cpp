#include <nlohmann/json.hpp>

#include <cmath>
#include <ostream>
#include <type_traits>

#include "cli/DataFiles.h"
#include "storage/StoredText.h"

namespace veltrin::cli {

namespace {

using Json = nlohmann::ordered_json;

// Numbers as stored; texts as the program shows them.
Json Value(std::int32_t v) { return v; }
Json Value(std::uint32_t v) { return v; }
Json Value(const std::string& bytes) { return StoredTextToUtf8(bytes); }

// Each field under its own name in the records, so the names cannot drift.
#define VELTRIN_FIELD(json, record, field) (json)[#field] = Value((record).field)

Json SettingsJson(const AppSettings& s) {
    Json j;
    VELTRIN_FIELD(j, s, skinColour);
    VELTRIN_FIELD(j, s, buttonColour);
    VELTRIN_FIELD(j, s, defaultDiaryTemplate);
    VELTRIN_FIELD(j, s, defaultNoteTemplate);
    VELTRIN_FIELD(j, s, priorityColour);
    VELTRIN_FIELD(j, s, toolbarColour);
    VELTRIN_FIELD(j, s, buttonFontFace);
    VELTRIN_FIELD(j, s, buttonFontSize);
    VELTRIN_FIELD(j, s, buttonFontBold);
    VELTRIN_FIELD(j, s, buttonFontItalic);
    VELTRIN_FIELD(j, s, buttonFontUnderline);
    VELTRIN_FIELD(j, s, buttonTextColour);
    VELTRIN_FIELD(j, s, dayInfoFontFace);
    VELTRIN_FIELD(j, s, dayInfoFontSize);
    VELTRIN_FIELD(j, s, dayInfoFontBold);
    VELTRIN_FIELD(j, s, dayInfoFontItalic);
    VELTRIN_FIELD(j, s, dayInfoFontUnderline);
    VELTRIN_FIELD(j, s, dayInfoTextColour);
    VELTRIN_FIELD(j, s, headerFontFace);
    VELTRIN_FIELD(j, s, headerFontSize);
    VELTRIN_FIELD(j, s, headerFontBold);
    VELTRIN_FIELD(j, s, headerFontItalic);
    VELTRIN_FIELD(j, s, headerFontUnderline);
    VELTRIN_FIELD(j, s, headerTextColour);
    VELTRIN_FIELD(j, s, headerGradient1);
    VELTRIN_FIELD(j, s, headerGradient2);
    VELTRIN_FIELD(j, s, listBackColour);
    VELTRIN_FIELD(j, s, listTextColour);
    VELTRIN_FIELD(j, s, listSelBackColour);
    VELTRIN_FIELD(j, s, listSelTextColour);
    VELTRIN_FIELD(j, s, clockBackColour);
    VELTRIN_FIELD(j, s, clockDigitColour);
    VELTRIN_FIELD(j, s, comingEventsPeriod);
    VELTRIN_FIELD(j, s, runOnStartup);
    VELTRIN_FIELD(j, s, minimizeOnAutorun);
    VELTRIN_FIELD(j, s, showSeconds);
    VELTRIN_FIELD(j, s, minimizeToTray);
    VELTRIN_FIELD(j, s, minimizeOnClose);
    VELTRIN_FIELD(j, s, askOnExit);
    VELTRIN_FIELD(j, s, showTipsAtStartup);
    VELTRIN_FIELD(j, s, currentView);
    VELTRIN_FIELD(j, s, townIndex);
    VELTRIN_FIELD(j, s, reservedTime);
    VELTRIN_FIELD(j, s, reservedNumber);
    VELTRIN_FIELD(j, s, reservedText);
    Json columns = Json::array();
    for (const ContactColumn& c : s.contactColumns) {
        Json column;
        VELTRIN_FIELD(column, c, name);
        VELTRIN_FIELD(column, c, width);
        VELTRIN_FIELD(column, c, shown);
        columns.push_back(std::move(column));
    }
    j["contactColumns"] = std::move(columns);
    return j;
}

Json DiaryJson(const DiaryTable& table) {
    Json pages = Json::array();
    for (const DiaryPage& p : table) {
        Json page;
        VELTRIN_FIELD(page, p, title);
        VELTRIN_FIELD(page, p, html);
        VELTRIN_FIELD(page, p, date);
        VELTRIN_FIELD(page, p, isCurrent);
        pages.push_back(std::move(page));
    }
    return Json{{"pages", std::move(pages)}};
}

// Notes and the groups of both trees: the flat tree records with level steps.
template <typename Record>
Json TreeRecordsJson(const std::vector<Record>& records) {
    constexpr bool isNote = std::is_same_v<Record, NoteItem>;
    Json out = Json::array();
    for (const Record& r : records) {
        Json j;
        VELTRIN_FIELD(j, r, levelStep);
        VELTRIN_FIELD(j, r, name);
        VELTRIN_FIELD(j, r, iconIndex);
        VELTRIN_FIELD(j, r, bold);
        VELTRIN_FIELD(j, r, isCurrent);
        if constexpr (!std::is_same_v<Record, EventGroup>) VELTRIN_FIELD(j, r, collapsed);
        if constexpr (isNote) {
            VELTRIN_FIELD(j, r, html);
            VELTRIN_FIELD(j, r, created);
        } else {
            VELTRIN_FIELD(j, r, groupId);
        }
        out.push_back(std::move(j));
    }
    return out;
}

Json ScheduleJson(const EventSchedule& s) {
    Json j;
    VELTRIN_FIELD(j, s, kind);
    VELTRIN_FIELD(j, s, eventTime);
    VELTRIN_FIELD(j, s, minutesAfterHour);
    VELTRIN_FIELD(j, s, dayOfMonth);
    VELTRIN_FIELD(j, s, annualDay);
    VELTRIN_FIELD(j, s, annualMonth);
    VELTRIN_FIELD(j, s, whichDays);
    VELTRIN_FIELD(j, s, customDays);
    VELTRIN_FIELD(j, s, weekday);
    VELTRIN_FIELD(j, s, nextDue);
    VELTRIN_FIELD(j, s, lastCheck);
    return j;
}

Json EventsJson(const EventStore& store) {
    Json events = Json::array();
    for (const EventItem& e : store.events) {
        Json event;
        VELTRIN_FIELD(event, e, actual);
        VELTRIN_FIELD(event, e, name);
        VELTRIN_FIELD(event, e, iconIndex);
        VELTRIN_FIELD(event, e, bold);
        VELTRIN_FIELD(event, e, priority);
        VELTRIN_FIELD(event, e, isCurrent);
        const EventDetails& d = e.details;
        Json details;
        VELTRIN_FIELD(details, d, groupId);
        VELTRIN_FIELD(details, d, eventId);
        VELTRIN_FIELD(details, d, comment);
        VELTRIN_FIELD(details, d, playSound);
        VELTRIN_FIELD(details, d, showMessage);
        VELTRIN_FIELD(details, d, runFile);
        VELTRIN_FIELD(details, d, filePath);
        details["schedule"] = ScheduleJson(d.schedule);
        event["details"] = std::move(details);
        events.push_back(std::move(event));
    }
    return Json{{"groups", TreeRecordsJson(store.groups)}, {"events", std::move(events)}};
}

Json ContactsJson(const ContactStore& store) {
    Json contacts = Json::array();
    for (const ContactItem& c : store.contacts) {
        Json contact;
        VELTRIN_FIELD(contact, c, groupId);
        // By field name, in the order of the field table, whatever the record order.
        Json fields;
        for (const ContactField& f : ContactFields())
            fields[f.name] = Value(std::string(c.fields[static_cast<std::size_t>(f.recordIndex)]));
        contact["fields"] = std::move(fields);
        VELTRIN_FIELD(contact, c, isCurrent);
        contacts.push_back(std::move(contact));
    }
    return Json{{"groups", TreeRecordsJson(store.groups)}, {"contacts", std::move(contacts)}};
}

#undef VELTRIN_FIELD

Json FileJson(const AnyDataFile& file) {
    Json j;
    const double version = VersionNumber(file.version);
    j["version"] = std::isnan(version) ? Json(nullptr) : Json(version);
    j["signature"] = file.kind->signature;
    Json body;
    if (file.kind == &kSettingsFile)
        body = SettingsJson(file.settings);
    else if (file.kind == &kDiaryFile)
        body = DiaryJson(file.diary);
    else if (file.kind == &kNotesFile)
        body = Json{{"notes", TreeRecordsJson(file.notes)}};
    else if (file.kind == &kEventsFile)
        body = EventsJson(file.events);
    else
        body = ContactsJson(file.contacts);
    for (auto it = body.begin(); it != body.end(); ++it) j[it.key()] = std::move(it.value());
    return j;
}

}  // namespace

Command AddDumpCommand(CLI::App& program, Output io) {
    return AddDataFileCommand(
        program, io, "dump",
        "Print any of the five data files (Settings.dat, Diary.dat, Notes.dat, Events.dat, "
        "Contacts.dat), recognised by its signature, as one JSON document: the header as "
        "\"version\" and \"signature\", then every record field under its own name, times as "
        "seconds since 1970. Texts are read as UTF-8, and bytes that are not UTF-8 as "
        "Windows-1252.",
        [io](const std::string&, AnyDataFile& file) {
            io.out << FileJson(file).dump(2) << '\n';
            return 0;
        });
}

}  // namespace veltrin::cli
