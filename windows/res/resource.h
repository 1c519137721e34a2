/* Resource ids shared by the resource script and the C++ sources. */
#ifndef QUILLET_RESOURCE_H
#define QUILLET_RESOURCE_H

#define IDD_COMPOSER 102
#define IDI_COMPOSER 128
#define IDC_MESSAGE 1000

#endif
