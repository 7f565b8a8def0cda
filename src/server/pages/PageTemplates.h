#pragma once

#include <string>

// The templates of the site's pages (mustache: {{value}} is escaped, {{{value}}} is not and only ever
// takes markup the server built itself) and its one style sheet.
extern const char* const kLayoutTemplate;
extern const char* const kMessageTemplate;
extern const char* const kLoginTemplate;
extern const char* const kOverviewTemplate;
extern const std::string kDeviceTemplate;
extern const std::string kVenueTemplate;
extern const char* const kNightTemplate;
extern const char* const kReportsTemplate;
extern const char* const kStyleSheet;
