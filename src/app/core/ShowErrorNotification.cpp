#include "app/core/ShowErrorNotification.h"

#include "platform/foundation/NotificationCenter.h"

void postShowError(const foundation::Error& error, const void* sender) {
    foundation::NotificationCenter::defaultCenter().post(
        kShowErrorNotification, sender,
        foundation::Dictionary{{kShowErrorNotificationErrorKey, foundation::Value::object(error)}});
}
