#include "components/dropbox/DBSession.h"

DBSession& DBSession::sharedSession() {
    static DBSession session;
    return session;
}

bool DBSession::handleOpenURL(const std::string& url) {
    (void)url;
    return false;
}

bool DBSession::isLinked() const { return false; }
