~Version Information
 VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP.   NO  : ONE LINE PER DEPTH STEP
~Well Information
#MNEM.UNIT       DATA                      DESCRIPTION
 STRT    .M            3120.850112         :START DEPTH
 STOP    .M            3121.600112         :STOP DEPTH
 STEP    .M               0.250000         :STEP
 NULL    .             -999.2500           :NULL VALUE
 COMP    .   KORRIVAN TEST ENERGY          :COMPANY
 WELL    .   KORRIVAN 7-21                 :WELL
 FLD     .   WILDCAT                       :FIELD
 LOC     .   07-21-048-09W4M               :LOCATION
 PROV    .   ALBERTA                       :PROVINCE
 CTRY    .   CA                            :COUNTRY
 SRVC    .   KORRIVAN LOGGING              :SERVICE COMPANY
 DATE    .   08-DEC-2026                   :LOG DATE
 UWI     .   100072104809W400              :UNIQUE WELL ID
~Curve Information
 DEPT    .M                                :  1  DEPTH
 GR      .GAPI                             :  2  GAMMA RAY
 RHOB    .K/M3                             :  3  BULK DENSITY
~Parameter Information
 BHT .DEGC  35.5 : BOTTOM HOLE TEMPERATURE
~A  DEPTH      GR       RHOB
3120.850112   45.1200  2550.000
3121.100112   47.0300  2548.500
3121.350112   52.8800  2551.250
3121.600112   49.6100  2549.000
