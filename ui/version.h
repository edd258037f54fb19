// The one source of the program's version, for the code and the resource script.
#pragma once

#define KORVALINDE_VERSION_BINARY  1,0,0,1
#define KORVALINDE_VERSION_TEXT    "1.0.0.1"
#define KORVALINDE_ABOUT_TEXT      "Korvalinde - Version 1.00"
#define KORVALINDE_COMPANY         "Brelwix"
#define KORVALINDE_COPYRIGHT       "Copyright (C) 2026 Brelwix"
#define KORVALINDE_CONTACT         "連絡先: support@brelwix.example"
#define KORVALINDE_CONTACT_EN      "Contact: support@brelwix.example"
