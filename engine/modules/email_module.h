// The eMail module (key "eMail"): the name part from a stored message's headers (metadata/mail_info.h) by a
// pattern such as "Date,yyyy-MM-dd" "Subject". A date or time field takes a picture after a ','; without one
// the date is written "yyyy.MM.dd  HH.mm.ss", and "Date." writes it as eight digits.
#pragma once
#include "engine/modules/pattern_modules.h"

extern const ModuleDescriptor kEMailModule;
