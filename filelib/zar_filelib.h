#ifndef ZAR_FILELIB_ZAR_FILELIB_H_
#define ZAR_FILELIB_ZAR_FILELIB_H_

// The motion file library in one include: HTR and TRC models, their readers, the HTR writer,
// unit keywords and the library's messages.

#include "filelib/file_contents.h"
#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib/htr_segment.h"
#include "filelib/htr_stream_writer.h"
#include "filelib/motion_units.h"
#include "filelib/trc_file.h"

#endif  // ZAR_FILELIB_ZAR_FILELIB_H_
