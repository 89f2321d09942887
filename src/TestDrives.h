#pragma once

// Drives of the real application for the tests that run its binary, chosen
// by environment variables; nothing happens without them.

namespace testdrives {

// TOLLIVAR_TEST_CARD, once the browser is up, opens the card of the first
// listed project as a tap on its tile does, then with "type:<text>" starts
// editing the name and types the text through the window's keyboard path,
// or with "duplicate" taps Duplicate; then it prints "card" on standard
// output ("no card" when it could not). With "share:<service>" it edits,
// then shares the project.
void driveCardForTests();

// TOLLIVAR_TEST_DROPBOX=link, once the browser is up, starts the Dropbox
// login as the share screen's Dropbox button does and prints
// "DropboxLoginNotification true" (or "false") for each login answer the
// application posts; "no session" when no Dropbox session was installed.
void driveDropboxLoginForTests();

}  // namespace testdrives
