// The fixed configurations of the writer fuzz targets. Each input runs with
// the base lines plus one variant line, chosen by the input's size so that
// an input always runs the same way; half of the sizes also find the
// target's output files already there with earlier content.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace zeko::fuzz {

struct WriterConfig {
  const char* name;
  std::string base;
  std::vector<const char*> variants;
  std::vector<const char*> outputs;  // every file a run of the target may write
  const char* earlier;               // their content before the run, when they exist
  enum Earlier {
    kKept,             // a run appends whatever APPEND says (DATAX, HS3)
    kKeptWithAppend,   // a run appends with APPEND=1, else starts the file over
    kKeptUpToEndLine,  // HS: the earlier content up to its end line stays
    kReplaced,         // a run always starts the file over (KHK8)
  } keeps;
  std::vector<std::pair<const char*, const char*>> sideFiles;  // always there (SPK)
};

inline const char* const kAllNames =
    "NAME1=OUT1.TXT\nNAME2=OUT2.TXT\nNAME3=OUT1.TXT\nNAME4=OUT4.TXT\nNAME5=OUT5.TXT\n";
inline const std::vector<const char*> kAllOutputs = {"OUT1.TXT", "OUT2.TXT", "OUT4.TXT",
                                                     "OUT5.TXT"};

// A GENERIC layout per data type that uses every conversion, every option
// flag and every field the writer gives a meaning of its own.
inline const char* const kGenericLayouts =
    "GENERICFILEHEADER=Kopf;Zeile\n"
    "GENERICRECHEAD=91\n"
    "GENERICRECSEP=93,13,10\n"
    "GENERICFIELDSEP=59\n"
    "GENERICFIELDLAST=36\n"
    "GENERICFIELDSTARTNUM=60\n"
    "GENERICFIELDENDNUM=62\n"
    "GENERICFIELDSTARTTEXT=34\n"
    "GENERICFIELDENDTEXT=34\n"
    "GENERICFIELDSTARTDATE=40\n"
    "GENERICFIELDENDDATE=41\n"
    "WAEHRUNG1=EUR\n"
    "MANDANT=M$D01\n"
    "ANWENDER=AW\n"
    "FIELDSA=\n"
    "12,8,100,\n8,10,105,\n10,8,120,\n10,8,110,\n12,258,115,\n12,1090,116,\n1,8,199,\n"
    "30,8,150,\n5,8,112,\n5,8,113,\n8,2,141,\n4,0,142,\n4,0,143,\n3,8,191,\n"
    "15,8,217,\n15,8,220,\n10,0,801,\n10,0,802,\n10,0,803,\n2,8,992,\n"
    "6,21,300,7\n8,66,300,\n8,514,300,\n8,2050,300,\n8,4098,300,\n8,195,300,\n8,129,300,\n"
    "6,0,300,100\n8,4,300,\n12,72,301,\n12,136,301,K-\n12,264,301,\n12,520,301,\n"
    "12,712,301,x\n6,11,302,\n8,12,302,\n8,13,302,\n2,14,302,\n4,15,302,\n2,16,302,\n"
    "8,18,302,\n4,24,302,\n6,25,302,\n"
    "END\n"
    "FIELDSB=\n5,8,200,\n30,8,205,\n15,8,217,\n15,8,220,\n8,13,105,\nEND\n"
    "FIELDSC=\n12,8,100,\n12,2,115,\n1,8,199,\n10,0,803,\nEND\n"
    "FIELDSD=\n5,8,200,\n30,8,205,\nEND\n"
    "FIELDSE=\n12,8,100,\n12,3,115,\n8,10,105,\nEND\n";

inline const std::vector<WriterConfig> kWriterConfigs = {
    {"datax",
     std::string("TYP=DATAX\nPATH=\nMANDANT=01\nANWENDER=XY\n") + kAllNames,
     {"RELEASE=0\n", "RELEASE=2\n", "RELEASE=3\n", "RELEASE=4\n", "RELEASE=5\n",
      "RELEASE=5\nOEMCHARSET=1\n"},
     kAllOutputs, "OLD RECORD ONE\r\nOLD RECORD TWO\r\n", WriterConfig::kKept, {}},
    {"hs",
     std::string("TYP=HS\nPATH=\nMANDANT=01\n") + kAllNames,
     {"RELEASE=0\n", "OEMCHARSET=1\n"},
     kAllOutputs, "AOLD LINE\r\nE                    \r\n\x1A", WriterConfig::kKeptUpToEndLine, {}},
    {"hs3",
     std::string("TYP=HS3\nPATH=\nMANDANT=07\nWAEHRUNG0=DEM\nWAEHRUNG1=EURO\n") + kAllNames,
     {"RELEASE=0\n", "RELEASE=38\n", "RELEASE=40\n", "RELEASE=41\n", "OEMCHARSET=1\n"},
     kAllOutputs, "I  $3     \r\nAOLD LINE\r\nI       \r\n\x1A", WriterConfig::kKept, {}},
    {"khk8",
     std::string("TYP=KHK8\nPATH=\nWAEHRUNG0=DEM\nWAEHRUNG1=EUR\nSTEUER_FASSTS1=7\n"
                 "STEUER_FASSTS2=19\n") + kAllNames,
     {"RELEASE=0\n", "RELEASE=2\n", "RELEASE=2\nOEMCHARSET=1\nAPPEND=1\n"},
     kAllOutputs, "OLD,CONTENT\r\n", WriterConfig::kReplaced, {}},
    {"pcrewe",
     std::string("TYP=PCREWE\nPATH=\n") + kAllNames,
     {"APPEND=0\n", "APPEND=1\n", "RELEASE=2\nAPPEND=1\n", "OEMCHARSET=1\n"},
     kAllOutputs, "OLD LINE\r\n", WriterConfig::kKeptWithAppend, {}},
    {"ledax",
     "TYP=LEDAX\nPATH=\nMANDANT=01\nNAME1=LEDAX1.TXT,LEDAX2.TXT\nNAME2=DEB.TXT,DEB2.TXT\n"
     "NAME3=LEDAX1.TXT,LEDAX2.TXT\nNAME4=KRED.TXT\nNAME5=LEDAX1.TXT\n",
     {"APPEND=0\n", "APPEND=1\n", "APPEND=1\nOEMCHARSET=1\n"},
     {"LEDAX1.TXT", "LEDAX2.TXT", "DEB.TXT", "DEB2.TXT", "KRED.TXT"}, "OLD LINE\r\n",
     WriterConfig::kKeptWithAppend, {}},
    {"generic",
     std::string("TYP=GENERIC\nPATH=\n") + kGenericLayouts + kAllNames,
     {"APPEND=0\n", "APPEND=1\n", "GENERICCOMPACTFIELDS=1\n",
      "GENERICCOMPACTFIELDS=1\nGENERICSKIPZERO=1\nAPPEND=1\n", "OEMCHARSET=1\n"},
     kAllOutputs, "OLD LINE\r\n", WriterConfig::kKeptWithAppend, {}},
    {"spk",
     "TYP=SPK\nPATH=\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37040044\nSPK_KUNDE=Muster GmbH\n"
     "SPK_KONTO=532013000\nSPK_REFERENZ=4711\nSPK_DATENTRAEGER=D0815\n"
     "SPK_KASSENNAME=Stadtsparkasse Koeln\nPROTPRINTER=note.txt\nSPK_BANKDATEN=BLZ.TXT\n" +
         std::string(kAllNames),
     {"RELEASE=0\n", "RELEASE=1\n", "RELEASE=2\nAPPEND=1\n", "APPEND=1\nOEMCHARSET=1\n"},
     kAllOutputs, "OLD CONTENT", WriterConfig::kKeptWithAppend,
     {{"SPK.FRM",
       "Begleitzettel $A\r\nDatum $B\r\nDiskette $C\r\nAnzahl $D\r\nSumme $E\r\nKonten $F\r\n"
       "BLZ $G\r\n$H\r\n$I\r\n$J\r\n$K\r\n$L\r\n$Z bleibt\r\n"},
      {"SPK.NUM", "41\r\n"},
      // Two banks of the Bundesbank's file: the account checks run on every
      // input without reading the whole file each time.
      {"BLZ.TXT",
       "370400441Commerzbank                                               50447Koln                               Commerzbank Koln           24370COBADEFFXXX13006143U000000000\r\n"
       "370501981Sparkasse KolnBonn                                        50667Koln                               Sparkasse KolnBonn         53390COLSDE33XXX00003843U000000000\r\n"}}},
    {"presort",
     "TYP=GENERIC\nPATH=\nGENERICFIELDSEP=59\nGENERICRECSEP=13,10\n"
     "FIELDSA=\n12,8,100,\n10,8,120,\n12,2,115,\nEND\n"
     "FIELDSC=\n12,8,100,\n10,8,120,\n12,2,115,\nEND\n" + std::string(kAllNames),
     {"PRESORT=120\n", "PRESORT=115\n", "PRESORT=100\n"},
     kAllOutputs, "OLD LINE\r\n", WriterConfig::kKeptWithAppend, {}},
};

}  // namespace zeko::fuzz
