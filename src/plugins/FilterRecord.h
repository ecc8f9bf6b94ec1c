// SPDX-License-Identifier: GPL-3.0-or-later
/* The filter plug-in interface as Grimacer Studio offers it: the filter record, the callback
 * suites and the entry point, with the field order of the published Photoshop filter interface
 * laid out with this machine's own (natural, 64-bit) alignment. Filter modules written in C or
 * C++ include this header; docs/filter-modules.md explains how to build one.
 */
#ifndef GS_PLUGINS_FILTER_RECORD_H
#define GS_PLUGINS_FILTER_RECORD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Basic types ---------------------------------------------------------------------------- */

typedef int16_t OSErr;
typedef uint8_t Boolean;
typedef uint32_t OSType;
typedef uint32_t PIType;
typedef int32_t Fixed; /* 16.16 */
typedef char* Ptr;
typedef char** Handle; /* opaque: use the handle suite; *handle is the data while locked */
typedef unsigned char Str255[256];

/* A four-character code: the first character in the most significant byte. */
#define PIFourCC(a, b, c, d) \
  ((uint32_t)(uint8_t)(a) << 24 | (uint32_t)(uint8_t)(b) << 16 | (uint32_t)(uint8_t)(c) << 8 | (uint32_t)(uint8_t)(d))

typedef struct Point {
  int16_t v;
  int16_t h;
} Point;

typedef struct Rect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
} Rect;

typedef struct VRect {
  int32_t top;
  int32_t left;
  int32_t bottom;
  int32_t right;
} VRect;

typedef struct RGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
} RGBColor;

typedef uint8_t FilterColor[4];

/* ---- Selectors, results, modes -------------------------------------------------------------- */

enum {
  filterSelectorAbout = 0,
  filterSelectorParameters = 1,
  filterSelectorPrepare = 2,
  filterSelectorStart = 3,
  filterSelectorContinue = 4,
  filterSelectorFinish = 5
};

enum {
  noErr = 0,
  userCanceledErr = -128,
  memFullErr = -108,
  nilHandleErr = -109,
  memWZErr = -111,
  paramErr = -50,
  filterBadParameters = -30100,
  filterBadMode = -30101,
  errPlugInHostInsufficient = -30900,
  errPlugInPropertyUndefined = -30901
};

enum { plugInModeGrayScale = 1, plugInModeRGBColor = 3 };

/* The host signature this host announces in hostSig. */
#define kGrimacerHostSig PIFourCC('V', 'R', 'L', 'N')

/* ---- Callbacks ------------------------------------------------------------------------------ */

typedef Boolean (*TestAbortProc)(void);
typedef void (*ProgressProc)(int32_t done, int32_t total);
typedef void (*HostProc)(int16_t selector, intptr_t* data);
typedef Boolean (*ProcessEventProc)(void* event);
typedef OSErr (*AdvanceStateProc)(void);

typedef struct PSPixelMask PSPixelMask;
typedef struct PSPixelMap {
  int32_t version;
  VRect bounds;
  int32_t imageMode;
  int32_t rowBytes;
  int32_t colBytes;
  int32_t planeBytes;
  void* baseAddr;
  /* version 1 */
  PSPixelMask* mat;
  PSPixelMask* masks;
  int32_t maskPhaseRow;
  int32_t maskPhaseCol;
} PSPixelMap;

typedef OSErr (*DisplayPixelsProc)(const PSPixelMap* source, const VRect* srcRect, int32_t dstRow,
                                   int32_t dstCol, void* platformContext);

enum {
  plugIncolorServicesChooseColor = 0,
  plugIncolorServicesConvertColor = 1,
  plugIncolorServicesSamplePoint = 2,
  plugIncolorServicesGetSpecialColor = 3
};

enum { plugIncolorServicesRGBSpace = 0 };

typedef struct ColorServicesInfo {
  int32_t infoSize;
  int16_t selector;
  int16_t sourceSpace;
  int16_t resultSpace;
  Boolean resultGamutInfoValid;
  Boolean resultInGamut;
  void* reservedSourceSpaceInfo;
  void* reservedResultSpaceInfo;
  int16_t colorComponents[4];
  void* reserved;
  union {
    Str255* pickerPrompt;
    Point* globalSamplePoint;
    int32_t specialColorID;
  } selectorParameter;
} ColorServicesInfo;

typedef OSErr (*ColorServicesProc)(ColorServicesInfo* info);

/* Buffer suite: scratch memory the host owns. */
typedef struct BufferRecord* BufferID;
typedef OSErr (*AllocateBufferProc)(int32_t size, BufferID* bufferID);
typedef Ptr (*LockBufferProc)(BufferID bufferID, Boolean moveHigh);
typedef void (*UnlockBufferProc)(BufferID bufferID);
typedef void (*FreeBufferProc)(BufferID bufferID);
typedef int32_t (*BufferSpaceProc)(void);

typedef struct BufferProcs {
  int16_t bufferProcsVersion;
  int16_t numBufferProcs;
  AllocateBufferProc allocateProc;
  LockBufferProc lockProc;
  UnlockBufferProc unlockProc;
  FreeBufferProc freeProc;
  BufferSpaceProc spaceProc;
} BufferProcs;

enum { kCurrentBufferProcsVersion = 2, kCurrentBufferProcsCount = 5 };

/* Handle suite: movable blocks, e.g. for `parameters`, which the host keeps between runs. */
typedef Handle (*NewPIHandleProc)(int32_t size);
typedef void (*DisposePIHandleProc)(Handle h);
typedef int32_t (*GetPIHandleSizeProc)(Handle h);
typedef OSErr (*SetPIHandleSizeProc)(Handle h, int32_t newSize);
typedef Ptr (*LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void (*UnlockPIHandleProc)(Handle h);
typedef void (*RecoverSpaceProc)(int32_t size);

typedef struct HandleProcs {
  int16_t handleProcsVersion;
  int16_t numHandleProcs;
  NewPIHandleProc newProc;
  DisposePIHandleProc disposeProc;
  GetPIHandleSizeProc getSizeProc;
  SetPIHandleSizeProc setSizeProc;
  LockPIHandleProc lockProc;
  UnlockPIHandleProc unlockProc;
  RecoverSpaceProc recoverSpaceProc;
} HandleProcs;

enum { kCurrentHandleProcsVersion = 1, kCurrentHandleProcsCount = 7 };

/* Property suite. */
typedef OSErr (*GetPropertyProc)(PIType signature, PIType key, int32_t index, intptr_t* simpleProperty,
                                 Handle* complexProperty);
typedef OSErr (*SetPropertyProc)(PIType signature, PIType key, int32_t index, intptr_t simpleProperty,
                                 Handle complexProperty);

typedef struct PropertyProcs {
  int16_t propertyProcsVersion;
  int16_t numPropertyProcs;
  GetPropertyProc getPropertyProc;
  SetPropertyProc setPropertyProc;
} PropertyProcs;

enum { kCurrentPropertyProcsVersion = 1, kCurrentPropertyProcsCount = 2 };

/* Basic suite: the door to further suites (see GrimacerSuites.h). */
typedef int32_t SPErr;
typedef uint8_t SPBoolean;
typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, int32_t version);
  SPBoolean (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
  SPErr (*Undefined)(void);
} SPBasicSuite;

/* Suites this host does not offer; their pointers in the record are NULL. */
typedef struct ResourceProcs ResourceProcs;
typedef struct ImageServicesProcs ImageServicesProcs;
typedef struct PIDescriptorParameters PIDescriptorParameters;
typedef struct ChannelPortProcs ChannelPortProcs;
typedef struct ReadImageDocumentDesc ReadImageDocumentDesc;

typedef struct PlugInMonitor {
  Fixed gamma;
  Fixed redX, redY;
  Fixed greenX, greenY;
  Fixed blueX, blueY;
  Fixed whiteX, whiteY;
  Fixed ambient;
} PlugInMonitor;

/* platformData points at this: the editor's main window, as an opaque value. */
typedef struct PlatformData {
  intptr_t hwnd;
} PlatformData;

/* The case records of the `fici` property, one per filter case. */
typedef struct FilterCaseInfo {
  char inputHandling;
  char outputHandling;
  char flags1; /* bit 3: the filter writes outside the selection */
  char flags2;
} FilterCaseInfo;

/* ---- The filter record ---------------------------------------------------------------------- */

typedef struct FilterRecord {
  int32_t serialNumber;
  TestAbortProc abortProc;
  ProgressProc progressProc;
  Handle parameters;

  Point imageSize;
  int16_t planes;
  Rect filterRect;

  RGBColor background;
  RGBColor foreground;

  int32_t maxSpace;
  int32_t bufferSpace;

  Rect inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;

  Rect outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;

  void* inData;
  int32_t inRowBytes;
  void* outData;
  int32_t outRowBytes;

  Boolean isFloating;
  Boolean haveMask;
  Boolean autoMask;

  Rect maskRect;
  void* maskData;
  int32_t maskRowBytes;

  FilterColor backColor;
  FilterColor foreColor;

  OSType hostSig;
  HostProc hostProc;

  int16_t imageMode;
  Fixed imageHRes;
  Fixed imageVRes;
  Point floatCoord;
  Point wholeSize;
  PlugInMonitor monitor;

  void* platformData;

  BufferProcs* bufferProcs;
  ResourceProcs* resourceProcs;
  ProcessEventProc processEvent;
  DisplayPixelsProc displayPixels;
  HandleProcs* handleProcs;

  Boolean supportsDummyChannels;
  Boolean supportsAlternateLayouts;
  int16_t wantLayout;
  int16_t filterCase;
  int16_t dummyPlaneValue;
  void* premiereHook;
  AdvanceStateProc advanceState;

  Boolean supportsAbsolute;
  Boolean wantsAbsolute;
  GetPropertyProc getPropertyObsolete;
  Boolean cannotUndo;
  Boolean supportsPadding;
  int16_t inputPadding;
  int16_t outputPadding;
  int16_t maskPadding;
  char samplingSupport;
  char reservedByte;
  Fixed inputRate;
  Fixed maskRate;
  ColorServicesProc colorServices;

  int16_t inLayerPlanes;
  int16_t inTransparencyMask;
  int16_t inLayerMasks;
  int16_t inInvertedLayerMasks;
  int16_t inNonLayerPlanes;
  int16_t outLayerPlanes;
  int16_t outTransparencyMask;
  int16_t outLayerMasks;
  int16_t outInvertedLayerMasks;
  int16_t outNonLayerPlanes;
  int16_t absLayerPlanes;
  int16_t absTransparencyMask;
  int16_t absLayerMasks;
  int16_t absInvertedLayerMasks;
  int16_t absNonLayerPlanes;
  int16_t inPreDummyPlanes;
  int16_t inPostDummyPlanes;
  int16_t outPreDummyPlanes;
  int16_t outPostDummyPlanes;

  int32_t inColumnBytes;
  int32_t inPlaneBytes;
  int32_t outColumnBytes;
  int32_t outPlaneBytes;

  ImageServicesProcs* imageServicesProcs;
  PropertyProcs* propertyProcs;

  int16_t inTileHeight;
  int16_t inTileWidth;
  Point inTileOrigin;
  int16_t absTileHeight;
  int16_t absTileWidth;
  Point absTileOrigin;
  int16_t outTileHeight;
  int16_t outTileWidth;
  Point outTileOrigin;
  int16_t maskTileHeight;
  int16_t maskTileWidth;
  Point maskTileOrigin;

  PIDescriptorParameters* descriptorParameters;
  Str255* errorString;
  ChannelPortProcs* channelPortProcs;
  ReadImageDocumentDesc* documentInfo;

  SPBasicSuite* sSPBasic;
  void* plugInRef;
  int32_t depth;

  Handle iCCprofileData;
  int32_t iCCprofileSize;
  int32_t canUseICCProfiles;

  char reserved[256]; /* later fields; always zero here */
} FilterRecord;

typedef FilterRecord* FilterRecordPtr;

/* ---- The entry point ------------------------------------------------------------------------ */

/* Every filter of a module has an exported entry point of this type, named by its `wx86`
 * property. `data` points at the filter's own word, kept by the host between runs. */
typedef void (*FilterEntryProc)(int16_t selector, FilterRecord* filterRecord, intptr_t* data,
                                int16_t* result);

#ifdef __cplusplus
#define GS_FILTER_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define GS_FILTER_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
}
#endif

#endif
