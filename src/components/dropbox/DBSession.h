#pragma once

// The shared Dropbox link object. This is the part the application start-up
// talks to: it is offered every incoming URL that nothing else claims, in
// case it is the login callback. No login flow exists yet, so no URL is
// taken as a callback and no account is ever linked.

#include <string>

class DBSession {
public:
    static DBSession& sharedSession();

    DBSession(const DBSession&) = delete;
    DBSession& operator=(const DBSession&) = delete;

    // True when the URL was this application's login callback and was
    // handled; false for every other URL.
    bool handleOpenURL(const std::string& url);
    // True when at least one user's credentials are stored.
    bool isLinked() const;

private:
    DBSession() = default;
};
