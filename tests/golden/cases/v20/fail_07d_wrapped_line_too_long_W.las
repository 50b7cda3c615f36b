~Version Information
 VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP.   YES : MULTIPLE LINES PER DEPTH STEP
~Well Information
#MNEM.UNIT       DATA                      DESCRIPTION
 STRT    .M            1500.0000           :START DEPTH
 STOP    .M            1501.0000           :STOP DEPTH
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
 DEPT    .M      :  1  DEPTH
 C1      .UNIT   :  CURVE 1
 C2      .UNIT   :  CURVE 2
 C3      .UNIT   :  CURVE 3
 C4      .UNIT   :  CURVE 4
 C5      .UNIT   :  CURVE 5
 C6      .UNIT   :  CURVE 6
~A
1500.0000
   1.0000   2.0000   3.0000
   4.0000   5.0000   6.0000
1500.2500
   1.0000   2.0000   3.0000
   4.0000   5.0000   6.0000
1500.5000
   1.0000   2.0000   3.0000
   4.0000   5.0000   6.0000                                                            
1500.7500
   1.0000   2.0000   3.0000
   4.0000   5.0000   6.0000
1501.0000
   1.0000   2.0000   3.0000
   4.0000   5.0000   6.0000
