#pragma once
// Reading and writing pictures, for callers that do both. The parts, one job each:
//   picture_format   which formats there are: sniffing, header sizes, completeness checks
//   picture_decode   ReadPicture and ReadPreview
//   huge_page_image  memory for big decoded pictures
//   bmp_writer       WriteBmp24
//   picture_failure  why a read or a write failed; error_texts has the words for it
#include "platform/bmp_writer.h"
#include "platform/huge_page_image.h"
#include "platform/picture_decode.h"
