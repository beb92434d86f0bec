#include "XmlDoc.h"
