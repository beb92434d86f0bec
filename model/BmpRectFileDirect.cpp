#include "BmpRectFileDirect.h"

BmpRectFileDirect::BmpRectFileDirect() = default;
BmpRectFileDirect::~BmpRectFileDirect() = default;
