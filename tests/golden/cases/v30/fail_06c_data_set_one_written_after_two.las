~Version
 VERS.   3.0   : CWLS LOG ASCII STANDARD - VERSION 3.0
 WRAP.   NO    : ONE LINE PER DEPTH STEP
 DLM .   COMMA : DELIMITING CHARACTER BETWEEN DATA COLUMNS
~Well
 STRT .M     1500.0000          : START DEPTH      {F}
 STOP .M     1501.5000          : STOP DEPTH       {F}
 STEP .M     0.2500             : STEP             {F}
 NULL .      -999.25            : NULL VALUE       {F}
 COMP .      KORRIVAN TEST      : COMPANY          {S}
 WELL .      KORRIVAN 7-21      : WELL             {S}
 FLD  .      WILDCAT            : FIELD            {S}
 LOC  .      07-21-048-09W4M    : LOCATION         {S}
 SRVC .      KORRIVAN LOGGING   : SERVICE COMPANY  {S}
 DATE .      08/12/2026         : LOG DATE         {DD/MM/YYYY}
 CTRY .      CA                 : COUNTRY          {S}
 PROV .      ALBERTA            : PROVINCE         {S}
 UWI  .      100072104809W400   : UNIQUE WELL ID   {S}
 LIC  .      0123456            : LICENSE NUMBER   {S}
 LATI .DEG   53.5               : LATITUDE         {F}
 LONG .DEG   -113.5             : LONGITUDE        {F}
 GDAT .      NAD83              : GEODETIC DATUM   {S}
~Log_Parameter[2]
 BHT  .DEGC   41.0   : BOTTOM HOLE TEMPERATURE {F}
~Log_Definition[2]
 DEPT .M                        : DEPTH            {F}
 GR   .GAPI                     : GAMMA RAY        {F}
~Log_Data[2] | Log_Definition[2]
2000.0000,50.1000
2000.5000,51.2000
~Log_Parameter[1]
 BHT  .DEGC   35.5   : BOTTOM HOLE TEMPERATURE {F}
~Log_Definition[1]
 DEPT .M                        : DEPTH            {F}
 GR   .GAPI                     : GAMMA RAY        {F}
 RHOB .K/M3                     : BULK DENSITY     {F}
~Log_Data[1] | Log_Definition[1]
1500.0000,45.1200,2550.000
1500.2500,47.0300,2548.500
1500.5000,52.8800,2551.250
1500.7500,49.6100,2549.000
1501.0000,44.2500,2552.750
