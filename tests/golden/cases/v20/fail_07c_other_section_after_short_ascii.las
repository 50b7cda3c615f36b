~Version Information
 VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP.   NO  : ONE LINE PER DEPTH STEP
~Well Information
#MNEM.UNIT       DATA                      DESCRIPTION
 STRT    .M            1500.0000           :START DEPTH
 STOP    .M            1500.5000           :STOP DEPTH
 STEP    .M               0.2500           :STEP
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
 NPHI    .V/V                              :  4  NEUTRON POROSITY
 DT      .US/M                             :  5  SONIC TRAVEL TIME
 SP      .MV                               :  6  SPONTANEOUS POTENTIAL
 CALI    .MM                               :  7  CALIPER
 ILD     .OHMM                             :  8  DEEP RESISTIVITY
~A  DEPTH      GR       RHOB     NPHI    DT      SP     CALI    ILD
1500.0000   45.1200  2550.000  0.2510  290.10  -35.2  216.00  12.500
1500.2500   47.0300  2548.500  0.2480  291.40  -35.9  216.10  12.100
1500.5000   52.8800  2551.250  0.2450  289.70  -36.4  215.90  11.800
~Other
     Note: these remarks were written after the data.
