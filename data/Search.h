#pragma once

// Finding objects by name: one search over the display names of every object
// in the store, used by the Select Object dialog, settings files, trails and
// the line records of import files.

#include "astro/Types.h"

#include <string>

// A query and a display name are each read as at most this many ";"-separated
// parts, and a query part as at most this many blank-separated words.
constexpr int kMaxSearchParts = 16;
constexpr int kMaxSearchWords = 16;
// Only this much of a query is read.
constexpr std::size_t kMaxQueryLength = 255;
// The progress window appears once a search has run this long (milliseconds).
constexpr long kSearchProgressDelay = 1000;
// String-table caption of the progress window: "Searching for "%s"...".
constexpr int kSearchingString = 511;

// Walks the store from its first object (inOutId 0) or from the object after
// inOutId. Exact match: every query part equals one of the object's name
// parts. Word match: all words of some query part occur within one name part.
// Letter case is ignored for A-Z only unless caseSensitive.
// Returns 1 with inOutId the hit; -7 (kStatusNotFound) when nothing matches
// or the query has no part; -8 (kStatusCancelled) when the user cancelled in
// the progress window, inOutId then being the last object examined, so that
// continuing after it skips nothing.
int findObjectByName(const std::string& query, bool caseSensitive, bool exactMatch,
                     ObjectID& inOutId);

// The millisecond clock the search measures its running time with (the
// platform's tick count unless replaced). Tests replace it to reach the
// progress window without waiting; nullptr restores the tick count. A
// replaced clock is read once for every object examined, the tick count
// only now and then.
using SearchClock = long (*)();
void setSearchClock(SearchClock clock);
